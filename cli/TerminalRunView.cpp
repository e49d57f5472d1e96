#include "TerminalRunView.h"

#include "shell/core/ErrorReport.h"

#include <cstdio>

namespace tabulant::cli {

namespace {

constexpr auto StatusInterval = std::chrono::milliseconds(200);

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::int64_t perSecond(std::int64_t rows, double seconds) {
    return seconds > 0 ? static_cast<std::int64_t>(static_cast<double>(rows) / seconds) : 0;
}

} // namespace

void TerminalRunView::TableStarted(std::string_view table) {
    if (beforeTable) beforeTable(table);
    table_ = table;
    loaded_.clear();
    started_ = shown_ = Clock::now();
    if (verbosity_ != Verbosity::Quiet && !silent_) terminal_.Status(table_ + ": reading");
}

void TerminalRunView::RowStarted(std::int64_t done, std::int64_t rows) {
    // The clock is looked at every 256 rows only: this is called once per row.
    if (verbosity_ == Verbosity::Quiet || silent_ || !terminal_.ShowsStatus() || (done & 255) != 1)
        return;
    const Clock::time_point now = Clock::now();
    if (now - shown_ < StatusInterval) return;
    showProgress(done, rows, now);
}

void TerminalRunView::showProgress(std::int64_t done, std::int64_t rows, Clock::time_point now) {
    shown_ = now;
    char counts[96];
    const std::int64_t rate = perSecond(done - 1, seconds(now - started_));
    if (rows >= 0)
        std::snprintf(counts, sizeof counts, ": %lld of %lld rows, %lld rows/s",
                      static_cast<long long>(done), static_cast<long long>(rows),
                      static_cast<long long>(rate));
    else
        std::snprintf(counts, sizeof counts, ": %lld rows, %lld rows/s",
                      static_cast<long long>(done), static_cast<long long>(rate));
    terminal_.Status(table_ + counts);
}

void TerminalRunView::Silence() {
    silent_ = true;
    terminal_.ClearStatus();
}

void TerminalRunView::TableFinished(std::string_view table, std::int64_t rows) {
    if (beforeTableLine) beforeTableLine();
    if (verbosity_ == Verbosity::Quiet || silent_) return;
    const double took = seconds(Clock::now() - started_);
    char tail[96];
    std::snprintf(tail, sizeof tail, ": %lld %s in %.1f s (%lld rows/s)",
                  static_cast<long long>(rows), rows == 1 ? "row" : "rows", took,
                  static_cast<long long>(perSecond(rows, took)));
    terminal_.Line(std::string(table) + tail + loaded_);
}

void TerminalRunView::TableLoaded(std::string_view, std::int64_t read, std::int64_t loaded,
                                  std::int64_t refused) {
    loaded_ = ", " + std::to_string(read) + " read, " + std::to_string(loaded) + " loaded, " +
              std::to_string(refused) + " refused";
}

void TerminalRunView::Notice(std::string_view text) {
    if (verbosity_ == Verbosity::Quiet || silent_) return;
    terminal_.Line("tabulant-convert: note: " + shell::ErrorReportLine(text));
}

} // namespace tabulant::cli
