// bench-preview [--lines N] [--exec-lines M] [--rounds R] [--odbc]
//
// Fills the preview with N INSERT lines (default 1,000,000) and measures, offscreen: the time to
// show the window, the memory per line against the bytes of text, one find-and-replace over all
// lines, and the execution rate of M lines (default 20,000) on a throwaway PostgreSQL server
// against psql -f of the same lines (autocommit), R rounds (default 3) in which the side that goes
// first alternates. The window's lines go through libpq as a run sends them, or with --odbc on
// the ODBC connection. Each round also runs the lines the same way in a plain loop (no window)
// and gives each side's CPU per line and the window's share in its own events, so that a slow
// round can be told apart: the route, the window, or a busy machine. The last line sums it up
// (the median ratio of the rounds).

#include "Form2.h"
#include "PreviewListModel.h"
#include "PreviewWindows.h"

#include "db/copy/LibpqStatements.h"
#include "db/odbc/OdbcConnection.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace tabulant;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// CPU seconds (user + system) of this process or of its waited-for children: wall time on a
// shared machine swings from round to round, the CPU each side spends per line much less.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

struct QuietPrompts final : platform::Prompts {
    int reports = 0;
    void Message(std::string_view) override {}
    Answer Question(std::string_view, std::string_view) override { return Answer::Ok; }
    void ErrorReport(std::string_view text) override {
        if (++reports <= 3) std::cerr << "error report: " << text << "\n";
    }
};
struct NoClipboard final : platform::Clipboard {
    bool Clear() override { return true; }
    bool SetText(std::string_view, int) override { return true; }
};
struct NoShell final : platform::ShellOpen {
    bool Open(std::string_view) override { return true; }
};

// Measures the time spent sending the lines, to tell it apart from the window's own cost.
struct TimedStatements final : platform::StatementRunner {
    platform::StatementRunner& inner;
    double executeMs = 0;
    explicit TimedStatements(platform::StatementRunner& r) : inner(r) {}
    void Run(std::string_view statement) override {
        const auto t0 = Clock::now();
        inner.Run(statement);
        executeMs += msSince(t0);
    }
};

std::string insertLine(long i, const char* table) {
    return "INSERT INTO \"" + std::string(table) +
           "\" (\"ID\", \"Customer\", \"Amount\", \"Note\") VALUES (" + std::to_string(i) +
           ", 'Customer " + std::to_string(i % 9973) + "', " + std::to_string(i % 100000) +
           ".25, 'values of row " + std::to_string(i) + "');";
}

// The window's own event loop, timed: the rounds of events (repaints, input) between the lines.
struct TimedEventLoop final : platform::EventLoop {
    double eventsMs = 0;

protected:
    void processEvents() override {
        const auto t0 = Clock::now();
        QCoreApplication::processEvents();
        eventsMs += msSince(t0);
    }
};

// Runs `action` inside the next modal loop (the preview or a dialog it opens).
void whenModal(std::function<void(QWidget&)> action) {
    auto* timer = new QTimer;
    QWidget* before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, before, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == before || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(*modal);
    });
    timer->start(1);
}

void click(QWidget& window, const char* name) {
    if (auto* b = window.findChild<QAbstractButton*>(name)) b->click();
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    long lines = 1'000'000;
    long execLines = 20'000;
    int rounds = 3;
    bool odbc = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--odbc") odbc = true;
        if (i + 1 == argc) break;
        if (std::string(argv[i]) == "--lines") lines = std::atol(argv[++i]);
        if (std::string(argv[i]) == "--exec-lines") execLines = std::atol(argv[++i]);
        if (std::string(argv[i]) == "--rounds") rounds = std::max(1, std::atoi(argv[++i]));
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QuietPrompts prompts;
    NoClipboard clipboard;
    NoShell shell;
    TimedEventLoop events;
    ui::PreviewWindows windows(prompts, clipboard, shell, events);
    bool ranToEnd = false;

    // Fill, show, replace.
    windows.ClearPreviewList();
    app.processEvents();
    const long rssBefore = residentBytes();
    std::size_t textBytes = 0;
    const auto fillStart = Clock::now();
    for (long i = 1; i <= lines; ++i) {
        std::string line = insertLine(i, "bench_preview");
        textBytes += line.size();
        windows.AddPreviewLine(std::move(line));
    }
    const double fillMs = msSince(fillStart);
    const long rssFilled = residentBytes();

    double showMs = 0, replaceMs = 0;
    long rssShown = 0;
    std::size_t changed = 0;
    const auto showStart = Clock::now();
    whenModal([&](QWidget& preview) {
        QApplication::processEvents(); // the first layout and paint
        showMs = msSince(showStart);
        rssShown = residentBytes();
        whenModal([&](QWidget& dialog) {
            dialog.findChild<QLineEdit*>("Text1")->setText("values");
            dialog.findChild<QLineEdit*>("Text2")->setText("VALUES");
            const auto t0 = Clock::now();
            click(dialog, "PushButton2");
            replaceMs = msSince(t0);
        });
        click(preview, "PushButton3");
        const ui::PreviewLines& stored = static_cast<ui::Form2&>(preview).PreviewList().lines();
        for (std::size_t i = 0; i < stored.size(); i += 997)
            changed += stored.line(i).find(" VALUES (") != std::string_view::npos;
        preview.close();
    });
    windows.ShowPreview(nullptr);

    const double bytesPerLine =
        static_cast<double>(rssShown - rssBefore) / static_cast<double>(lines);
    const double textPerLine = static_cast<double>(textBytes) / static_cast<double>(lines);
    std::cout << "lines:            " << lines << " (" << textPerLine << " bytes of text each)\n"
              << "fill:             " << fillMs << " ms\n"
              << "show:             " << showMs << " ms\n"
              << "memory:           " << bytesPerLine << " bytes per line, "
              << bytesPerLine / textPerLine << " x the text (filled, not shown: "
              << static_cast<double>(rssFilled - rssBefore) / static_cast<double>(lines) << ")\n"
              << "find and replace: " << replaceMs << " ms (" << changed
              << " sampled lines changed)\n";

    // Execution against a throwaway server, beside psql -f of the same lines.
    std::string execRatio = "n/a";
    const std::string dir = "/tmp/tabulant-bench-preview-" + std::to_string(getpid());
    const std::string port =
        run(std::string(TABULANT_PG_CLUSTER_SCRIPT) + " start " + dir + " 2>&1 | tail -n 1");
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos) {
        std::cout << "execution:        skipped (no server: " << port << ")\n";
    } else {
        const std::string psqlBase = "PGPASSWORD=tabulant psql -X -q -h 127.0.0.1 -p " + port +
                                     " -U tabulant -d tabulant -v ON_ERROR_STOP=1";
        const char* create =
            "(\"ID\" NUMERIC, \"Customer\" TEXT, \"Amount\" NUMERIC, \"Note\" TEXT)";
        try {
            auto connection = db::CreateOdbcConnection();
            connection->Open("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port +
                             ";Uid=tabulant;Pwd=tabulant;Database=tabulant;");
            db::FixedConnectionFields fields;
            fields.server = "127.0.0.1";
            fields.port = port;
            fields.user = fields.password = fields.database = "tabulant";
            // The window's route and the plain loop's: libpq sessions of their own beside the
            // ODBC connection, as a run makes them, or the ODBC connection itself.
            platform::ConnectionStatements onConnection(connection.get());
            db::LibpqStatements windowLibpq(fields, *connection), aloneLibpq(fields, *connection);
            platform::StatementRunner& route =
                odbc ? static_cast<platform::StatementRunner&>(onConnection) : windowLibpq;
            platform::StatementRunner& alone =
                odbc ? static_cast<platform::StatementRunner&>(onConnection) : aloneLibpq;
            const char* routeName = odbc ? "the driver" : "libpq";
            TimedStatements timed(route);
            const std::string file = dir + "/lines.sql";
            {
                std::ofstream out(file);
                out << "CREATE TABLE \"psql_exec\" " << create << ";\n";
                for (long i = 1; i <= execLines; ++i) out << insertLine(i, "psql_exec") << "\n";
            }
            std::vector<double> ratios, driverRatios;
            for (int round = 1; round <= rounds; ++round) {
                run(psqlBase + " -c 'DROP TABLE IF EXISTS bench_exec, psql_exec, driver_exec'");
                double execMs = 0, psqlMs = 0, driverMs = 0, execCpu = 0, psqlCpu = 0,
                       driverCpu = 0;
                int rc = -1;
                const auto ours = [&] {
                    windows.ClearPreviewList();
                    windows.AddPreviewLine(std::string("CREATE TABLE \"bench_exec\" ") + create);
                    for (long i = 1; i <= execLines; ++i)
                        windows.AddPreviewLine(insertLine(i, "bench_exec"));
                    timed.executeMs = 0;
                    events.eventsMs = 0;
                    whenModal([&](QWidget& preview) {
                        const auto t0 = Clock::now();
                        const double cpu0 = cpuSeconds(RUSAGE_SELF);
                        click(preview, "PushButton1");
                        execMs = msSince(t0);
                        execCpu = cpuSeconds(RUSAGE_SELF) - cpu0;
                        if (preview.isVisible()) preview.close();
                    });
                    ranToEnd = windows.ShowPreviewThrough(connection.get(), timed) ==
                               engine::PreviewOutcome::RanToEnd;
                };
                // The same lines the same way in a plain loop, without the window: what the
                // window itself adds, apart from the route.
                const auto driverAlone = [&] {
                    alone.Run(std::string("CREATE TABLE \"driver_exec\" ") + create);
                    const auto t0 = Clock::now();
                    const double cpu0 = cpuSeconds(RUSAGE_SELF);
                    for (long i = 1; i <= execLines; ++i) alone.Run(insertLine(i, "driver_exec"));
                    driverMs = msSince(t0);
                    driverCpu = cpuSeconds(RUSAGE_SELF) - cpu0;
                };
                const auto theirs = [&] {
                    const auto t0 = Clock::now();
                    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
                    rc = std::system((psqlBase + " -f " + file + " >/dev/null").c_str());
                    psqlMs = msSince(t0);
                    psqlCpu = cpuSeconds(RUSAGE_CHILDREN) - cpu0;
                };
                if (round % 2 == 1) {
                    ours();
                    driverAlone();
                    theirs();
                } else {
                    theirs();
                    driverAlone();
                    ours();
                }
                const std::string rows =
                    run(psqlBase + " -t -A -c 'select (select count(*) from bench_exec), (select "
                                   "count(*) from psql_exec), (select count(*) from driver_exec)'");
                ratios.push_back(psqlMs / execMs);
                driverRatios.push_back(psqlMs / driverMs);
                std::cout << "execution " << round
                          << (round % 2 == 1 ? " (ours first): " : " (psql first): ")
                          << execLines + 1 << " lines in " << execMs << " ms ("
                          << (execLines + 1) / execMs * 1000 << " lines/s), psql -f " << psqlMs
                          << " ms (rc " << rc << "), " << routeName << " alone " << driverMs
                          << " ms (ratio " << psqlMs / driverMs << "), rows " << rows
                          << (ranToEnd ? "" : ", not run to its end") << "; "
                          << 100.0 * timed.executeMs / execMs << " % of it inside " << routeName
                          << ", " << 100.0 * events.eventsMs / execMs
                          << " % in the window's events; CPU "
                          << execCpu * 1e6 / static_cast<double>(execLines + 1)
                          << " us per line, psql "
                          << psqlCpu * 1e6 / static_cast<double>(execLines + 1) << ", " << routeName
                          << " alone " << driverCpu * 1e6 / static_cast<double>(execLines) << "\n"
                          << std::flush;
            }
            std::sort(ratios.begin(), ratios.end());
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.2f", ratios[ratios.size() / 2]);
            execRatio = buf;
            std::snprintf(buf, sizeof buf, "%.2f-%.2f", ratios.front(), ratios.back());
            std::sort(driverRatios.begin(), driverRatios.end());
            std::cout << "execution ratio:  " << execRatio << " (rounds " << buf << "); "
                      << routeName << " alone " << driverRatios[driverRatios.size() / 2]
                      << (odbc || windowLibpq.ThroughLibpq() ? "" : " (libpq did not connect)")
                      << "\n";
        } catch (const std::exception& e) {
            std::cout << "execution:        skipped (" << e.what() << ")\n";
        }
        run(std::string(TABULANT_PG_CLUSTER_SCRIPT) + " destroy " + dir);
    }

    std::printf("preview: show_ms=%.0f bytes_per_line=%.1f replace_ms=%.0f exec_ratio=%s\n", showMs,
                bytesPerLine, replaceMs, execRatio.c_str());
    return 0;
}
