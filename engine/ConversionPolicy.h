#pragma once

#include "CopyRow.h"
#include "RunPorts.h"
#include "SqlText.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"
#include "shell/core/Trap.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// A table as a policy is given it.
struct SourceTable {
    std::string_view name;              // as the Access file lists it
    const platform::Recordset& records; // open on all its rows, at the first one
    platform::Connection* source;       // the run's Access connection, for schema record sets;
                                        // null when the run could not create one
};

// The SQL a conversion writes: how a table is created, how each row is written, and what
// follows a table's rows and the last table. The run decides where the statements go and in
// what order the calls come; a policy only answers.
//
// Order of calls in one run, for each table the run converts (a table answered No is never
// given): CreateTable, StartRows, RowStatement once per row, AfterTable; then, once the walk has
// gone through every table, AfterLastTable. A walk that a preview ended early (its "< Back"), or
// that a lost connection or a stop request ended, gets no AfterLastTable: the tables it would
// refer to may not exist. Nothing is sent on a connection the run has seen lost.
//
// Where the statements go, and the run's step numbers around them (the location of its error
// reports is the run's own):
//   DropTable       170 appended, or 172 executed, before CreateTable of a table the user agreed
//                   to overwrite
//   CreateTable     each statement, in order: 322 appended to the preview list, or 324 executed
//   RowStatement    422 appended, or 432 executed
//   AfterTable      asked at 488; each statement 492 appended, or 494 executed; in the
//                   per-table preview these lines follow the table's rows in its window;
//                   then NextAfterTable asked at 488 until it has no more, each statement the same
//                   AfterTableExecuted at 495 after they were executed
//   AfterLastTable  asked at 496; each statement 504 appended, or 506 executed. In the per-file
//                   preview these lines end the one window; in the per-table preview they get a
//                   window of their own (500 clears the list, 510 shows it) after the last table
// In direct mode "executed" means on the run's PostgreSQL connection, one statement per call,
// each committed on its own; a rejected statement is reported and the next follows.
//
// Every call gets the run's trap: a policy runs its own steps under it, so a failed step is
// reported with the run's location and goes on. The specified policy numbers its steps as the
// run always has (180 to 318, 326, 340 to 418); any other policy numbers its own from 600 up, so
// that no report reads as one of the run's steps.
//
// A returned reference stays valid until the next call of the same function. RowStatement is
// the hot path: it must not allocate once its buffers have grown to the longest row.
// Thread: the user-interface thread; a policy may yield to the event loop.
class ConversionPolicy {
public:
    virtual ~ConversionPolicy() = default;

    // The statement that removes a table the user agreed to overwrite: DROP TABLE "T", unless a
    // policy's own tables need more.
    virtual std::string DropTable(std::string_view table) { return DropTableStatement(table); }

    // The statements that create the table, in order (one for the specified policy). Fills the
    // datatype view with one row per field of the table.
    virtual const std::vector<std::string>& CreateTable(shell::Trap& trap,
                                                        const SourceTable& table) = 0;
    // The table whose rows follow, after its create statements have been handed on.
    virtual void StartRows(shell::Trap& trap, std::string_view table) = 0;
    // The statement of the record set's current row.
    virtual const std::string& RowStatement(shell::Trap& trap,
                                            const platform::Recordset& records) = 0;
    // The same row for a bulk load, in place of RowStatement: as its COPY line made straight
    // from its values, when the policy can (CopyRow.h), which spares writing the statement and
    // reading it back; else as its statement. The same steps run as in RowStatement.
    virtual BulkRowText RowForBulk(shell::Trap& trap, const platform::Recordset& records) {
        return {.statement = &RowStatement(trap, records)};
    }
    // Statements after the table's last row (sequence values, say); often none.
    virtual const std::vector<std::string>& AfterTable(shell::Trap& trap,
                                                       std::string_view table) = 0;
    // Statements after AfterTable's, one at a time, for what is too large to hold at once (a
    // table's attached files): the next one, or null after the last. A run that halts stops
    // asking.
    virtual const std::string* NextAfterTable(shell::Trap&) { return nullptr; }
    // Called in a direct run to the server once the table's AfterTable statements were
    // executed, with the connection they ran on: what they found (rows that break a rule) is
    // read back from there and told as a notice. Nothing by default.
    virtual void AfterTableExecuted(shell::Trap& /*trap*/, platform::Connection& /*server*/) {}
    // Statements after the last table (keys, indexes, foreign keys); often none.
    virtual const std::vector<std::string>& AfterLastTable(shell::Trap& trap) = 0;
};

// What a policy may use besides the calls' arguments. The references must outlive the policy.
struct PolicyServices {
    PreviewPort& preview; // the datatype view's rows
    platform::EventLoop& events;
    const platform::RegionalText& regional;
    // The schema every table goes into, written before each table name; empty for none, which
    // leaves the statements as they have always been (the server's default schema).
    std::string schema = {};
    // Where a policy tells what is no failure (RunView::Notice); none drops it.
    RunView* view = nullptr;
};

std::unique_ptr<ConversionPolicy> MakePolicy(PolicyKind kind, const PolicyServices& services);

} // namespace tabulant::engine
