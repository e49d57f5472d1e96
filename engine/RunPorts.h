#pragma once

#include "db/ConnectionFields.h"
#include "platform/Connection.h"
#include "platform/StatementRunner.h"
#include "platform/StringList.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulant::engine {

// How a run hands on the statements it makes.
enum class RunMode {
    Direct,          // each statement is executed as soon as it is made
    PreviewPerFile,  // collected in the preview list, shown once after the last table
    PreviewPerTable, // the preview list holds one table's statements, shown after each table
};

// What a run writes (ConversionPolicy.h has the policies themselves).
enum class PolicyKind {
    Specified, // TEXT, NUMERIC and BOOL columns, values as literals, nothing after the rows
    Typed,     // the database's shape: real types, full names, keys, indexes, foreign keys
};

// What a run reads from its front end: the seven connection fields, the mode and the policy.
// Each is read at the moment the run uses it, so a change made while the run yields takes effect
// at the next use; the policy is read once, when a run starts.
// Thread: the user-interface thread.
class RunSettings : public db::ConnectionFields {
public:
    virtual RunMode Mode() const = 0;
    virtual PolicyKind Policy() const { return PolicyKind::Specified; }
    // Rows loaded in bulk with COPY instead of one INSERT each; read once, when a run starts,
    // and only in RunMode::Direct.
    virtual bool LoadRowsInBulk() const { return false; }
    // The PostgreSQL schema the tables go into, read once when a run starts. Empty (the
    // window's choice) leaves every statement as it has always been, in the server's default
    // schema. A named schema is created when missing, before the first table, and the tables
    // that exist are those of that schema. Meant for direct runs: a per-table preview would
    // clear the line that creates it.
    virtual std::string Schema() const { return {}; }
};

// What a run shows while it works, and the two table lists it keeps on its front end.
// The table hooks at the end are for front ends that show more than one bar (a terminal's
// rows-per-second line); they do nothing unless overridden, so the window sees only the bar.
// Thread: the user-interface thread; the references returned live as long as the view.
class RunView {
public:
    virtual ~RunView() = default;

    // The tables that exist in PostgreSQL, and those of the Access file, as the run last filled
    // them; they keep their contents after the run.
    virtual platform::StringList& ExistingTables() = 0;
    virtual platform::StringList& SourceTables() = 0;

    // On while the run works (the window shows its busy pointer), off at its end.
    virtual void SetBusy(bool busy) = 0;
    virtual void SetProgressValue(int percent) = 0;
    virtual void SetProgressText(std::string_view text) = 0;

    // A table's rows are about to be read; `rows` is the count the source reports (-1 unknown).
    virtual void TableStarted(std::string_view /*table*/) {}
    // Before each row: `done` rows of `rows` (1-based, so the first call says 1).
    virtual void RowStarted(std::int64_t /*done*/, std::int64_t /*rows*/) {}
    // The table's statements have all been made (executed or collected); `rows` made.
    virtual void TableFinished(std::string_view /*table*/, std::int64_t /*rows*/) {}
    // A table loaded in bulk: rows read from the file, committed, and refused by the server.
    virtual void TableLoaded(std::string_view /*table*/, std::int64_t /*read*/,
                             std::int64_t /*loaded*/, std::int64_t /*refused*/) {}

    // Something the user should know that is no failure (what the run left alone on purpose):
    // shown as information, never counted among the failures. Lines may follow a first line.
    virtual void Notice(std::string_view /*text*/) {}
};

// How the preview window was left.
enum class PreviewOutcome {
    Ended,     // "< Back" or the close box: nothing more was asked of the run
    SkipTable, // "Skip Table / Do Not Execute SQL"
    RanToEnd,  // "Execute SQL" ran to its end and closed the window
};

// The preview window and the datatype list as the run sees them.
// Thread: the user-interface thread.
class PreviewPort {
public:
    virtual ~PreviewPort() = default;
    virtual void ClearPreviewList() = 0;
    virtual void AddPreviewLine(std::string line) = 0;
    virtual void ClearDatatypeConversionList() = 0;
    // Appends a row whose first column is the table and second the field name.
    virtual void AddDatatypeRow(std::string_view table, std::string_view field) = 0;
    // Sets the third and fourth column of the last row.
    virtual void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) = 0;
    // Shows the preview window modally and returns how it was left. Its execution sends the
    // lines on `executeOn`, which the run owns and keeps open while the window is shown (null
    // when the run has none; every execution then fails as on a closed connection).
    virtual PreviewOutcome ShowPreview(platform::Connection* executeOn) = 0;
    // The same, with the execution running the lines through `statements` (owned by the run,
    // kept while the window is shown) instead of on `executeOn`. A front end that executes no
    // lines of its own may leave it as it is.
    virtual PreviewOutcome ShowPreviewThrough(platform::Connection* executeOn,
                                              platform::StatementRunner& /*statements*/) {
        return ShowPreview(executeOn);
    }
};

// Where a run that reaches no server puts the statements it would have executed (see
// RunOptions::statementsTo). Write either keeps the statement or throws; a failure is reported
// at the step that handed the statement on, as a rejected Execute would be.
// Thread: the user-interface thread.
class StatementOutput {
public:
    virtual ~StatementOutput() = default;
    // One statement as the run made it: one line, DROP TABLE and CREATE TABLE without a
    // terminating semicolon, INSERT with one.
    virtual void Write(std::string_view statement) = 0;
    // Lines of data that follow a COPY ... FROM stdin; statement, written as they are.
    virtual void WriteData(std::string_view lines) { Write(lines); }
};

} // namespace tabulant::engine
