#include "Terminal.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tabulant::cli {

namespace {

// What an interrupted password prompt must put back before the signal ends the program.
int echoFd = -1;
termios echoSettings{};

extern "C" void restoreEchoAndRaise(int signal) {
    if (echoFd >= 0) ::tcsetattr(echoFd, TCSAFLUSH, &echoSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

Terminal::Terminal()
    : errorIsTerminal_(::isatty(STDERR_FILENO) == 1),
      inputIsTerminal_(::isatty(STDIN_FILENO) == 1) {}

Terminal::~Terminal() { ClearStatus(); }

void Terminal::write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n <= 0) return; // standard error gone: nothing left to tell anyone
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

int Terminal::width() const {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
    return 80;
}

void Terminal::Line(std::string_view text) {
    std::string out;
    if (statusShown_) out = "\r\033[K";
    statusShown_ = false;
    out.append(text).append("\n");
    write(out);
}

void Terminal::Status(std::string_view text) {
    if (!ShowsStatus()) return;
    // One column less than the width, so that the cursor never wraps to a new line.
    const std::size_t room = static_cast<std::size_t>(width() - 1);
    if (text.size() > room) text = text.substr(0, room);
    std::string out = "\r";
    out.append(text).append("\033[K");
    write(out);
    statusShown_ = true;
}

void Terminal::ClearStatus() {
    if (!statusShown_) return;
    write("\r\033[K");
    statusShown_ = false;
}

std::optional<std::string> Terminal::Ask(std::string_view prompt, bool echo) {
    if (!inputIsTerminal_) return std::nullopt;
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    ClearStatus();

    // Echo goes off before the prompt appears, so that nothing typed after it is ever shown.
    termios saved{};
    const bool hide = !echo && ::tcgetattr(fd, &saved) == 0;
    using Handler = void (*)(int);
    Handler oldInt = SIG_DFL, oldTerm = SIG_DFL;
    if (hide) {
        echoFd = fd;
        echoSettings = saved;
        oldInt = std::signal(SIGINT, restoreEchoAndRaise);
        oldTerm = std::signal(SIGTERM, restoreEchoAndRaise);
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    write(prompt);

    // Reserved whole, so that a typed password leaves no copy behind in a grown-out buffer.
    std::string answer;
    answer.reserve(1024);
    bool ended = true;
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            ended = false;
            break;
        }
        if (answer.size() < answer.capacity()) answer += c;
    }
    c = 0;

    if (hide) {
        ::tcsetattr(fd, TCSAFLUSH, &saved);
        std::signal(SIGINT, oldInt);
        std::signal(SIGTERM, oldTerm);
        echoFd = -1;
    }
    ::close(fd);
    if (ended) write("\n"); // the next line starts on a line of its own
    if (ended && answer.empty()) return std::nullopt;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    return answer;
}

} // namespace tabulant::cli
