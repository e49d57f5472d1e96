#pragma once

#include "ChosenTableList.h"
#include "CommandLine.h"
#include "Terminal.h"
#include "engine/RunPorts.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabulant::cli {

// The run's view on a terminal: while a table's rows are made, a status line with the table,
// rows done of rows and rows per second, rewritten in place at most a few times a second; when
// the table is done, one line with its row count and time (also when standard error is not a
// terminal), with the rows loaded and refused of a bulk load. Nothing when quiet. The window's
// progress bar texts are not shown. Thread: the one thread of the program.
class TerminalRunView final : public engine::RunView {
public:
    TerminalRunView(Terminal& terminal, Verbosity verbosity, const std::vector<std::string>& tables)
        : terminal_(terminal), verbosity_(verbosity), source_(tables) {}

    // Called as each table's statements begin, before its CREATE TABLE is handed on.
    std::function<void(std::string_view table)> beforeTable;
    // Called when a table's statements have all been handed on, before its line is written.
    std::function<void()> beforeTableLine;
    // No more lines from now on: what the run does after this is not to be reported as done.
    void Silence();

    platform::StringList& ExistingTables() override { return existing_; }
    platform::StringList& SourceTables() override { return source_; }
    void SetBusy(bool) override {}
    void SetProgressValue(int) override {}
    void SetProgressText(std::string_view) override {}

    void TableStarted(std::string_view table) override;
    void RowStarted(std::int64_t done, std::int64_t rows) override;
    void TableFinished(std::string_view table, std::int64_t rows) override;
    void TableLoaded(std::string_view table, std::int64_t read, std::int64_t loaded,
                     std::int64_t refused) override;
    // One line, "tabulant-convert: note: " and the text; nothing when quiet.
    void Notice(std::string_view text) override;

private:
    using Clock = std::chrono::steady_clock;
    void showProgress(std::int64_t done, std::int64_t rows, Clock::time_point now);

    Terminal& terminal_;
    Verbosity verbosity_;
    platform::VectorStringList existing_;
    ChosenTableList source_;
    std::string table_;
    bool silent_ = false;
    Clock::time_point started_{};
    Clock::time_point shown_{};
    std::string loaded_; // the bulk load's counts of the table, for its line
};

} // namespace tabulant::cli
