// bench-window [--rows N] [--rounds R] [--typed] [--no-hog] [--keep-server]
//
// The window's direct run against tabulant-convert on the same Access file (N rows, default
// 200,000, written by our writer) and the same throwaway server: each side in a process of its
// own, timed from start to exit, the side that goes first alternating from round to round, the
// table dropped before each run and its rows counted after it. Unless --no-hog, a busy loop
// (nice 19) runs beside both sides, as other work would on a user's machine.
//
// The window is the program's own main window with the real run, reader, driver and event loop;
// only its message boxes are answered in place. It is shown on the platform QT_QPA_PLATFORM
// names (offscreen when unset; under xvfb-run, give xcb to paint through an X server).
// Last line: "window: ratio=R" (tabulant-convert's time over the window's: 1 is as fast).

#include "BigDatabase.h"
#include "Cluster.h"
#include "Process.h"

#include "db/ProviderConnectionFactory.h"
#include "platform/RegionalText.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/QtEventLoop.h"
#include "ui/main/Form1.h"
#include "ui/preview/PreviewWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tabulant;
namespace fs = std::filesystem;

namespace {

struct QuietPrompts final : platform::Prompts {
    int reports = 0;
    void Message(std::string_view) override {}
    Answer Question(std::string_view, std::string_view) override { return Answer::Yes; }
    void ErrorReport(std::string_view text) override {
        ++reports;
        std::fprintf(stderr, "error report: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};
struct NoClipboard final : platform::Clipboard {
    bool Clear() override { return true; }
    bool SetText(std::string_view, int) override { return true; }
};
struct NoShell final : platform::ShellOpen {
    bool Open(std::string_view) override { return true; }
};

void setText(QWidget& window, const char* name, const std::string& text) {
    window.findChild<QLineEdit*>(name)->setText(QString::fromStdString(text));
}

// The child that plays the user: fills in the window, clears the preview box and the typed box
// as asked, presses Start Converting, and ends when the run has.
int windowRun(int argc, char** argv, const std::string& file, int port, bool typed) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    platform::IniSettingsStore settings(home.filePath("Tabulant.ini").toStdString());
    QuietPrompts prompts;
    NoClipboard clipboard;
    NoShell shell;
    platform::QtEventLoop events;
    db::ProviderConnectionFactory connections(&events);
    const platform::RegionalText regional;
    ui::PreviewWindows preview(prompts, clipboard, shell, events);
    ui::Form1 form(
        ui::Form1Services{prompts, settings, connections, events, shell, regional, preview});
    preview.setOwner(&form);
    if (!form.Open()) return 3;
    setText(form, "Text1", "127.0.0.1");
    setText(form, "Text9", std::to_string(port));
    setText(form, "Text3", bench::Cluster::User);
    setText(form, "Text7", bench::Cluster::Password);
    setText(form, "Text10", bench::Cluster::Database);
    setText(form, "Text5", file);
    form.findChild<QCheckBox*>("Check1")->setChecked(false);
    form.findChild<QCheckBox*>("Check2")->setChecked(typed);
    QTimer::singleShot(0, [&] {
        form.findChild<QPushButton*>("PushButton7")->click();
        QCoreApplication::quit();
    });
    QApplication::exec();
    return prompts.reports == 0 ? 0 : 1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string range(const std::vector<double>& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f-%.2f", *std::min_element(v.begin(), v.end()),
                  *std::max_element(v.begin(), v.end()));
    return buf;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " (1 min), " + five + " (5 min)";
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t rows = 200'000;
    int rounds = 3;
    bool hog = true, typed = false;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "--window-run")
        return windowRun(argc, argv, args[1], std::atoi(args[2].c_str()),
                         args.size() > 3 && args[3] == "typed");
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rows" && i + 1 < args.size())
            rows = std::stoull(args[++i]);
        else if (args[i] == "--rounds" && i + 1 < args.size())
            rounds = std::stoi(args[++i]);
        else if (args[i] == "--no-hog")
            hog = false;
        else if (args[i] == "--typed")
            typed = true;
        else {
            std::fprintf(stderr,
                         "usage: bench-window [--rows N] [--rounds R] [--typed] [--no-hog]\n");
            return 2;
        }
    }
    bench::InstallInterruptHandlers();
    std::string pattern = (fs::temp_directory_path() / "tabulant-bench-window.XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 2;
    const fs::path dir = pattern;
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    const fs::path file = dir / "bench.mdb";
    accesswriter::writeBigDatabase(file, rows, 1, accesswriter::Format::Jet4);

    pid_t hogPid = -1;
    int status = 0;
    const auto stopHog = [&hogPid] {
        if (hogPid <= 0) return;
        kill(hogPid, SIGTERM);
        waitpid(hogPid, nullptr, 0);
        hogPid = -1;
    };
    // The hog must not outlive a benchmark that ends by an exception.
    struct Guard {
        std::function<void()> atEnd;
        ~Guard() { atEnd(); }
    } hogGuard{stopHog};
    {
        bench::Cluster cluster(dir / "pg");
        cluster.Start(false);
        const std::string port = std::to_string(cluster.Port());
        std::printf("load average at start: %s; %llu rows, %s mapping, %s, platform %s\n",
                    loadAverage().c_str(), static_cast<unsigned long long>(rows),
                    typed ? "typed" : "specified", hog ? "with a CPU hog" : "no hog",
                    qEnvironmentVariableIsSet("QT_QPA_PLATFORM")
                        ? qgetenv("QT_QPA_PLATFORM").constData()
                        : "offscreen");
        if (hog) {
            hogPid = fork();
            if (hogPid == 0) {
                execlp("nice", "nice", "-n", "19", "sh", "-c", "while :; do :; done",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
        }
        setenv("PGPASSWORD", bench::Cluster::Password, 1);
        const std::string self = fs::canonical("/proc/self/exe").string();
        std::vector<std::string> terminal{TABULANT_CONVERT,
                                          "--server",
                                          "127.0.0.1",
                                          "--port",
                                          port,
                                          "--user",
                                          bench::Cluster::User,
                                          "--database",
                                          bench::Cluster::Database,
                                          "--overwrite",
                                          "yes",
                                          "--quiet",
                                          file.string()};
        if (typed) terminal.insert(terminal.end() - 1, "--typed");
        const std::vector<std::string> window{self, "--window-run", file.string(), port,
                                              typed ? "typed" : "specified"};
        std::vector<double> windowSeconds, terminalSeconds, ratios;
        for (int round = 1; round <= rounds; ++round) {
            double w = 0, t = 0;
            for (int side = 0; side < 2; ++side) {
                const bool windowSide = (side == 0) == (round % 2 == 1);
                cluster.Psql("DROP TABLE IF EXISTS \"Big 1\" CASCADE");
                const bench::ProcessResult r = bench::RunProcess(windowSide ? window : terminal);
                const std::string arrived = cluster.Psql("SELECT count(*) FROM \"Big 1\"");
                if (r.exitCode != 0 || arrived != std::to_string(rows)) {
                    std::printf("%s failed: exit %d, %s rows arrived\n",
                                windowSide ? "window" : "tabulant-convert", r.exitCode,
                                arrived.c_str());
                    status = 1;
                }
                (windowSide ? w : t) = r.wallSeconds;
            }
            windowSeconds.push_back(w);
            terminalSeconds.push_back(t);
            ratios.push_back(t / w);
            std::printf("round %d (%s first): window %.2f s, tabulant-convert %.2f s, ratio %.2f\n",
                        round, round % 2 == 1 ? "window" : "tabulant-convert", w, t, t / w);
            std::fflush(stdout);
        }
        stopHog();
        std::printf("load average at end: %s\n", loadAverage().c_str());
        std::printf("window %s s (median %.2f), tabulant-convert %s s (median %.2f)\n",
                    range(windowSeconds).c_str(), median(windowSeconds),
                    range(terminalSeconds).c_str(), median(terminalSeconds));
        std::printf("window: ratio=%.2f (rounds %s)\n", median(ratios), range(ratios).c_str());
    }
    fs::remove_all(dir);
    return status;
}
