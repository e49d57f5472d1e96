#pragma once

#include "BulkLoad.h"
#include "ConversionPolicy.h"
#include "RowTap.h"
#include "RunDatabase.h"
#include "RunPorts.h"
#include "RunSummary.h"
#include "StatementSink.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"
#include "shell/core/Trap.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// The location the program's front ends give the run, so that a report reads the same whether
// the window or the terminal started it.
inline constexpr std::string_view StartConvertingLocation = "Form1.PushButton7_Click";

// Everything a run reaches outside itself. The references must outlive the run object.
struct RunPorts {
    RunSettings& settings;
    RunView& view;
    PreviewPort& preview;
    platform::Prompts& prompts;
    platform::EventLoop& events;
    platform::ConnectionFactory& connections;
    const platform::RegionalText& regional;
};

// Makes what a preview's execution runs its lines through, from the run's settings and its
// PostgreSQL connection.
using MakePreviewStatements = std::function<std::unique_ptr<platform::StatementRunner>(
    const db::ConnectionFields&, platform::Connection&)>;
// The lines through libpq, falling back to `postgres` (db/copy/LibpqStatements.h).
std::unique_ptr<platform::StatementRunner>
LibpqPreviewStatements(const db::ConnectionFields& fields, platform::Connection& postgres);

struct RunOptions {
    // Makes the policy of the kind the settings name, anew for each run; a test may put a policy
    // of its own in place.
    std::function<std::unique_ptr<ConversionPolicy>(PolicyKind, const PolicyServices&)> makePolicy =
        MakePolicy;
    RunDatabase database = DefaultRunDatabase();
    // Statements to an output, no server: when set, the run never connects to PostgreSQL (no
    // probe, no list of existing tables, so no overwrite question, and no connection of its
    // own) and writes to this output every statement it would have executed. Meant for
    // RunMode::Direct; a preview shown meanwhile gets no connection. Must outlive the run.
    StatementOutput* statementsTo = nullptr;
    // Where a bulk load puts the rows the server refused; empty for a file beside the Access
    // file, named after it and the time the run started.
    std::string rejectsFile;
    // How many rows and bytes a bulk load's chunk holds at most (benchmarks try others).
    CopySink::Limits bulkLimits;
    // Shown every row statement sent to the server in direct mode (RowTap.h); must outlive the
    // run.
    RowTap* rowTap = nullptr;
    // What a preview's execution runs its lines through, made at the run's first showing and
    // kept to the run's end: a libpq session of its own unless a caller chooses otherwise.
    MakePreviewStatements previewStatements = LibpqPreviewStatements;
};

// Copies every table of the Access file named in the settings into PostgreSQL, last listed
// table first. Statements are executed at once (RunMode::Direct) or collected in the preview
// list and shown once per file or once per table; the policy decides what they say.
//
// Every numbered step runs under the standard error report with the location given to the
// constructor: a failure is reported and the run goes on with the next step, with two
// exceptions that would otherwise repeat one failure for every statement that follows. A lost
// connection (db::FailureScope::Connection) is reported once, nothing more is sent, and the run
// goes on to its end. A table whose CREATE TABLE failed and whose first row then fails for a
// cause every row shares (db::FailureScope::Relation, before any row of it was written) gets
// one report, which counts the rows not copied, and the run goes on with the next table; a
// failure that depends on a row's values is reported row by row.
//
// Steps of the run's own that the program's first form did not have are numbered from 700: 700
// to 704 load a table's rows in bulk (ConversionRunBulk.cpp); 710 reads the schema setting; 712
// to 716 hand on the statement that creates a named schema (see RunSettings::Schema), right after
// the connections have opened.
//
// A probe that fails tells the user why ("Could not connect..." and the driver's reason) and the
// run ends there; so does an Access file that does not open (one box: what is wrong, what to
// do, the reader's words), with the view at rest. A run that got past the probe always ends with
// both connections closed, the view at rest (not busy, progress 0, "Progress Bar") and the message
// "Done.", unless it was asked to stop (RequestStop), which ends it without the message.
//
// Ownership: the run owns its PostgreSQL connection and its own Access connection for the length
// of a run (both are made anew by each run); a preview it shows executes on the PostgreSQL one,
// which reopens itself once the server is back after it was lost (db::ReopeningConnection).
// Thread: the user-interface thread only. The run yields to the event loop at fixed points; a
// Run() that arrives meanwhile returns at once (Running()).
class ConversionRun {
public:
    ConversionRun(RunPorts ports, std::string location, RunOptions options = {});
    ~ConversionRun();
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    RunSummary Run();
    bool Running() const { return running_; }
    // Called while the run yields (the window is being closed): the statement under way is the
    // last one sent, no preview is shown any more, both connections are closed, and Run()
    // returns without saying "Done.". No effect when no run is in progress.
    void RequestStop();

private:
    enum class Answer { None, Yes, No };
    enum class Role { Drop, Create, Row, After, Schema };
    class Sink;

    db::Services Services() const;
    platform::Connection& Postgres() const;
    platform::Connection& Access() const;
    bool Previewing() const { return ports_.settings.Mode() != RunMode::Direct; }
    bool PerFile() const { return ports_.settings.Mode() == RunMode::PreviewPerFile; }
    bool PerTable() const { return ports_.settings.Mode() == RunMode::PreviewPerTable; }
    bool ToServer() const { return statementsTo_ == nullptr; }
    // Where the next statement goes: the preview list while previewing, else the server or the
    // statement output.
    StatementSink& SinkFor() const { return Previewing() ? *previewList_ : *delivery_; }

    // Steps 116 to 146; false when the Access file does not open (the user has been told why,
    // the view is at rest and the run is over).
    bool Open(shell::Trap& trap);
    void RestView(shell::Trap& trap); // steps 478 to 482
    // Steps 148 to 450 for entry i of the source tables; false when the walk is to end here.
    bool ConvertTable(shell::Trap& trap, int i);
    bool Halted() const { return connectionLost_ || stopRequested_; }
    void HandStatements(shell::Trap& trap, int previewLine, int executeLine,
                        const std::vector<std::string>& statements, Role role);
    void HandStatement(shell::Trap& trap, int previewLine, int executeLine,
                       const std::string& statement, Role role);
    void Send(shell::Trap& trap, int line, const std::string& statement, Role role);
    void ReportRowsNotCopied(shell::Trap& trap);
    // The bulk load of the current table's rows (ConversionRunBulk.cpp).
    bool StartBulk(shell::Trap& trap);
    void BulkRow(const std::string& statement);
    void BulkRow(const CopyRow& row);
    template <class Row> void BulkRowOf(const Row& row);
    void FinishBulk(shell::Trap& trap);
    void BulkFailed(const BulkFailure& failure);
    void AfterLastTable(shell::Trap& trap);
    // Shows the preview window; its execution runs through previewStatements_, made at the
    // first showing.
    PreviewOutcome ShowPreview();
    void Finish(shell::Trap& trap);

    RunPorts ports_;
    std::string location_;
    RunDatabase database_;
    StatementOutput* statementsTo_;
    std::function<std::unique_ptr<ConversionPolicy>(PolicyKind, const PolicyServices&)> makePolicy_;
    std::unique_ptr<ConversionPolicy> policy_;
    std::unique_ptr<StatementSink> previewList_;
    std::unique_ptr<StatementSink> delivery_;
    std::string schema_; // the settings' schema, as the run started

    bool running_ = false;
    std::unique_ptr<platform::Connection> postgres_;
    std::unique_ptr<platform::Connection> access_;
    platform::Recordset records_;
    bool closeAtEnd_ = false;
    Answer answer_ = Answer::None;
    PreviewOutcome outcome_ = PreviewOutcome::Ended;
    std::string table_;
    std::int64_t tableRows_ = 0;         // row statements made for the current table
    std::int64_t tableWritten_ = 0;      // of them, executed without failure
    bool createFailed_ = false;          // the current table's create statements
    std::optional<std::string> refusal_; // a failure every row of the current table shares
    std::string rejectsFile_;
    CopySink::Limits bulkLimits_;
    std::unique_ptr<BulkLoad> bulk_;         // made at the first table loaded in bulk
    bool bulkRun_ = false;                   // the run loads rows in bulk
    bool bulkTable_ = false;                 // the current table's rows go in bulk
    std::string bulkInto_;                   // INSERT INTO "T" of the current table
    std::optional<BulkFailure> bulkFailure_; // ended the current table's bulk load
    RowTap* rowTap_;
    MakePreviewStatements makePreviewStatements_;
    std::unique_ptr<platform::StatementRunner> previewStatements_;
    bool tapping_ = false; // the current table's rows are shown to rowTap_
    bool connectionLost_ = false;
    bool stopRequested_ = false;
    RunSummary summary_;
};

} // namespace tabulant::engine
