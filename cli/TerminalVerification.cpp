#include "TerminalVerification.h"

#include "engine/verify/ReportText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tabulant::cli {

namespace {

class TerminalVerifyView final : public engine::verify::VerifyView {
public:
    TerminalVerifyView(Terminal& terminal, Verbosity verbosity)
        : terminal_(terminal), verbosity_(verbosity) {}

    void TableStarted(std::string_view table, std::int64_t) override {
        table_ = table;
        shown_ = Clock::now();
    }
    void RowRead(std::int64_t done, std::int64_t rows) override {
        if (!terminal_.ShowsStatus() || verbosity_ == Verbosity::Quiet) return;
        // Rewriting the line costs a system call: a few times a second is enough to see.
        if (const auto now = Clock::now(); now - shown_ > std::chrono::milliseconds(200)) {
            shown_ = now;
            terminal_.Status("Verifying " + table_ + ": " + std::to_string(done) + " of " +
                             std::to_string(rows) + " rows");
        }
    }
    void TableVerified(const engine::verify::TableCheck& table) override {
        terminal_.ClearStatus();
        if (verbosity_ != Verbosity::Quiet ||
            table.state != engine::verify::TableCheck::State::Identical)
            terminal_.Line(engine::verify::TableLine(table));
    }

private:
    using Clock = std::chrono::steady_clock;
    Terminal& terminal_;
    Verbosity verbosity_;
    std::string table_;
    Clock::time_point shown_;
};

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Writes the report whole or says why not.
bool writeReport(Terminal& terminal, const std::string& path,
                 const engine::verify::VerifyReport& report) {
    const bool html = endsWith(path, ".html") || endsWith(path, ".htm");
    const std::string text =
        html ? engine::verify::ReportHtml(report) : engine::verify::ReportJson(report);
    std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file) written = (file == stdout ? std::fflush(file) : std::fclose(file)) == 0 && written;
    if (!written)
        terminal.Line("tabulant-convert: cannot write the report to " + path + ": " +
                      std::strerror(errno));
    return written;
}

} // namespace

int VerifyFromTerminal(Terminal& terminal, const CommandLine& line,
                       const engine::verify::VerifyRequest& request,
                       engine::verify::VerifyPorts ports) {
    TerminalVerifyView view(terminal, line.verbosity);
    engine::verify::Verifier verifier(ports);
    const engine::verify::VerifyReport report = verifier.Run(request, &view);
    terminal.ClearStatus();
    const int status = report.ExitStatus();
    if (line.verbosity != Verbosity::Quiet || status != 0)
        terminal.Line(engine::verify::SummaryLine(report));
    if (line.reportFile && !writeReport(terminal, *line.reportFile, report)) return 2;
    return status;
}

} // namespace tabulant::cli
