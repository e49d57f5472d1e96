#include "ConversionRun.h"

#include "RowLoop.h"
#include "SqlText.h"
#include "db/FailureScope.h"
#include "platform/Utf8.h"
#include "shell/core/ErrorReport.h"
#include "shell/core/Helpers.h"

namespace tabulant::engine {

// Steps 336/338 and 420 to 432 of the row loop, which belong to the run: the progress bar and
// where each statement goes.
class ConversionRun::Sink final : public RowSink {
public:
    Sink(ConversionRun& run, shell::Trap& trap) : run_(run), trap_(trap) {}

    void Progress(std::int64_t counter, std::int64_t recordCount) override {
        run_.ports_.view.RowStarted(counter, recordCount);
        // Setting the value the bar already shows changes nothing; skipping it spares the
        // window a call per row on large tables.
        const int percent = ProgressPercent(counter, recordCount);
        if (percent == shown_) return;
        run_.ports_.view.SetProgressValue(percent);
        shown_ = percent;
    }
    void Statement(const std::string& statement) override {
        ++run_.summary_.rows;
        ++run_.tableRows_;
        if (run_.tapping_) run_.rowTap_->Row(statement);
        if (run_.bulkTable_)
            run_.BulkRow(statement);
        else
            run_.HandStatement(trap_, 422, 432, statement, Role::Row);
    }
    bool TakesCopyRows() const override { return run_.bulkTable_; }
    void Row(const CopyRow& row) override {
        ++run_.summary_.rows;
        ++run_.tableRows_;
        if (run_.tapping_) {
            // The proof of the load reads the statement the row stands for.
            statement_.clear();
            row.statement(statement_, run_.bulkInto_, row.line, row.forms);
            run_.rowTap_->Row(statement_);
        }
        run_.BulkRow(row);
    }
    bool Stopped() const override {
        return run_.Halted() || run_.refusal_.has_value() || run_.bulkFailure_.has_value();
    }

private:
    ConversionRun& run_;
    shell::Trap& trap_;
    int shown_ = -1;
    std::string statement_;
};

void ConversionRun::HandStatement(shell::Trap& trap, int previewLine, int executeLine,
                                  const std::string& statement, Role role) {
    ++summary_.statements;
    // A test that fails counts as true: the statement then goes to the preview list.
    StatementSink* sink = previewList_.get();
    if (trap.Condition(previewLine - 2, [&] {
            sink = &SinkFor();
            return sink->Collects();
        }))
        trap(previewLine, [&] { sink->Put(statement); });
    else
        Send(trap, executeLine, statement, role);
}

void ConversionRun::HandStatements(shell::Trap& trap, int previewLine, int executeLine,
                                   const std::vector<std::string>& statements, Role role) {
    for (const std::string& statement : statements)
        HandStatement(trap, previewLine, executeLine, statement, role);
}

// Executes one statement as a trapped step would, but judges a failure before reporting it: see
// the class comment for the two failures that are reported once.
void ConversionRun::Send(shell::Trap& trap, int line, const std::string& statement, Role role) {
    if (Halted()) return;
    std::string failure;
    try {
        delivery_->Put(statement);
        ++summary_.executed;
        if (role == Role::Row) ++tableWritten_;
        return;
    } catch (const std::exception& e) {
        failure = shell::DescriptionOf(e);
    } catch (...) {
        failure = "Unknown failure";
    }
    const db::FailureScope scope = db::ScopeOf(failure);
    if (scope == db::FailureScope::Connection) connectionLost_ = true;
    if (role == Role::Create) createFailed_ = true;
    // Rows that would fail one by one for the same reason wait for one report with their count.
    if (role == Role::Row && scope == db::FailureScope::Relation && createFailed_ &&
        tableWritten_ == 0) {
        refusal_ = std::move(failure);
        return;
    }
    trap.report(line, failure);
}

void ConversionRun::ReportRowsNotCopied(shell::Trap& trap) {
    const std::int64_t left = CountRowsLeft(records_, ports_.events);
    trap.report(432, *refusal_ + "\r\nRows not copied: " + std::to_string(left));
    refusal_.reset();
}

bool ConversionRun::ConvertTable(shell::Trap& trap, int i) {
    RunView& view = ports_.view;
    trap(148, [&] { ports_.events.yieldNow(); });
    if (Halted()) return false;
    trap(150, [&] { table_ = view.SourceTables().List(i); });
    if (trap.Condition(152, [&] {
            return shell::ListContainsText(view.ExistingTables(), StoredTableName(table_));
        })) {
        trap(154, [&] {
            const auto pressed = ports_.prompts.Question(
                "Would you like to overwrite " + table_ + "?", "Overwrite?");
            answer_ = pressed == platform::Prompts::Answer::Yes ? Answer::Yes : Answer::No;
        });
    } else {
        trap(156, [&] { answer_ = Answer::None; });
    }

    if (!trap.Condition(158, [&] { return answer_ == Answer::No; })) {
        if (trap.Condition(160, [&] { return PerTable(); })) {
            trap(162, [&] { ports_.preview.ClearPreviewList(); });
            trap(164, [&] { ports_.preview.ClearDatatypeConversionList(); });
        }
        if (trap.Condition(166, [&] { return answer_ == Answer::Yes; })) {
            HandStatement(trap, 170, 172, policy_->DropTable(table_), Role::Drop);
            trap(174, [&] {
                shell::ListRemoveText(view.ExistingTables(),
                                      platform::LowerCase(StoredTableName(table_)));
            });
        }
        trap(176, [&] {
            view.SetProgressText("Please wait.. Processing table " + table_);
            view.TableStarted(table_);
        });
        trap(178, [&] { records_.Open(SelectAllStatement(table_), Access()); });
        ++summary_.tables;
        tableRows_ = 0;
        tableWritten_ = 0;
        createFailed_ = false;

        HandStatements(trap, 322, 324,
                       policy_->CreateTable(trap, {table_, records_, access_.get()}), Role::Create);
        policy_->StartRows(trap, table_);
        StartBulk(trap);
        tapping_ = rowTap_ && !Previewing() && ToServer();
        if (tapping_) rowTap_->TableRows(table_);
        Sink sink(*this, trap);
        WriteRows(trap, records_, ports_.events, *policy_, sink);
        // Every row was made into a statement when the loop reached the end of the rows (a
        // record set that cannot tell has failed, and said so, already).
        bool whole = false;
        try {
            whole = tapping_ && records_.Eof() && !Halted();
        } catch (const std::exception&) {}
        FinishBulk(trap);
        if (refusal_) ReportRowsNotCopied(trap);
        // A field the reader could only give as null (its stored values are damaged) is told
        // once for the table, after its rows, not once per row.
        std::vector<platform::Error> warnings;
        trap(434, [&] { warnings = records_.TakeWarnings(); });
        for (const platform::Error& w : warnings) trap.report(434, w.description());
        if (tapping_) {
            std::vector<std::string> texts;
            for (const platform::Error& w : warnings) texts.push_back(w.description());
            rowTap_->TableDone(whole, texts);
            tapping_ = false;
        }
        const std::vector<std::string>* after = nullptr;
        trap(488, [&] { after = &policy_->AfterTable(trap, table_); });
        if (after) HandStatements(trap, 492, 494, *after, Role::After);
        for (const std::string* next = nullptr; !Halted(); next = nullptr) {
            trap(488, [&] { next = policy_->NextAfterTable(trap); });
            if (!next) break;
            HandStatement(trap, 492, 494, *next, Role::After);
        }
        if (after && !Previewing() && ToServer() && !Halted())
            trap(495, [&] { policy_->AfterTableExecuted(trap, Postgres()); });

        trap(438, [&] { records_.Close(); });
        trap(438, [&] { view.TableFinished(table_, tableRows_); });
        if (Halted()) return false;
        trap(440, [&] { outcome_ = PreviewOutcome::Ended; });
        if (trap.Condition(442, [&] { return Previewing(); }) &&
            trap.Condition(444, [&] { return PerTable(); })) {
            trap(446, [&] { outcome_ = ShowPreview(); });
            // A table whose lines all ran goes on to the next one, as a skipped one does; only
            // leaving the window by "< Back" or its close box ends the walk.
            if (trap.Condition(448, [&] { return outcome_ == PreviewOutcome::Ended; }))
                return false;
        }
    }
    trap(450, [&] { view.SetProgressText(""); });
    return true;
}

} // namespace tabulant::engine
