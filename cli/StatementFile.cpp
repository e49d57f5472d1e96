#include "StatementFile.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace tabulant::cli {

namespace {
constexpr std::string_view Header = "SET client_encoding = 'UTF8';\n";
} // namespace

StatementFile::StatementFile(std::string path) : path_(std::move(path)) {
    if (path_ == "-") {
        file_ = stdout;
    } else {
        file_ = std::fopen(path_.c_str(), "we");
        if (!file_)
            throw platform::Error(errno, "Cannot create " + path_ + ": " + std::strerror(errno));
    }
    // Statements are written whole in large pieces; the library's buffer would split them.
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    // Into the buffer: a failure shows at the first statement or at Finish.
    std::fwrite(Header.data(), 1, Header.size(), file_);
}

StatementFile::~StatementFile() {
    if (file_ && file_ != stdout) std::fclose(file_);
}

void StatementFile::fail(int error) {
    if (failed_) return;
    if (error == 0) error = EIO;
    failed_ = true;
    const std::string name = path_ == "-" ? "standard output" : path_;
    throw platform::Error(error, "Cannot write to " + name + ": " + std::strerror(error));
}

void StatementFile::Write(std::string_view statement) {
    if (failed_) {
        ++lost_;
        return;
    }
    const bool terminated = !statement.empty() && statement.back() == ';';
    errno = 0;
    const bool ok = std::fwrite(statement.data(), 1, statement.size(), file_) == statement.size() &&
                    (terminated || std::fputc(';', file_) != EOF) && std::fputc('\n', file_) != EOF;
    if (!ok) {
        ++lost_;
        fail(errno);
    }
    ++written_;
}

void StatementFile::WriteData(std::string_view lines) {
    if (failed_) return;
    errno = 0;
    if (std::fwrite(lines.data(), 1, lines.size(), file_) != lines.size()) fail(errno);
}

void StatementFile::Flush() {
    if (!file_ || failed_) return;
    errno = 0;
    if (std::fflush(file_) != 0) fail(errno);
    // A pipe takes what it can hold whether or not anyone will read it (a psql still trying to
    // connect): wait until its reader has taken it, or is gone.
    const int fd = ::fileno(file_);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return;
    for (;;) {
        pollfd p{fd, 0, 0};
        if (::poll(&p, 1, 20) > 0 && (p.revents & (POLLERR | POLLHUP)) != 0) fail(EPIPE);
        int waiting = 0;
        if (::ioctl(fd, FIONREAD, &waiting) != 0 || waiting == 0) return;
    }
}

void StatementFile::Finish() {
    if (!file_) return;
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    const int flushed = std::fflush(file);
    const int error = errno;
    const int closed = file == stdout ? 0 : std::fclose(file);
    if (flushed != 0 || closed != 0) fail(flushed != 0 ? error : errno);
}

} // namespace tabulant::cli
