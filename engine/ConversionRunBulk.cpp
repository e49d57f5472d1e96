#include "ConversionRun.h"

#include "RowLoop.h"
#include "SqlText.h"
#include "shell/core/ErrorReport.h"

#include <ctime>

namespace tabulant::engine {

// Steps 700 to 704: the rows of a table loaded in bulk, in the direct mode of a run whose
// settings ask for it. The table's other statements go as they always do.
bool ConversionRun::StartBulk(shell::Trap& trap) {
    bulkTable_ = false;
    bulkFailure_.reset();
    if (!bulkRun_ || Previewing() || Halted()) return false;
    try {
        if (!bulk_) {
            std::string rejects = rejectsFile_;
            if (rejects.empty())
                rejects = DefaultRejectFilePath(ports_.settings.AccessFile(), std::time(nullptr));
            bulk_ = std::make_unique<BulkLoad>(ports_.settings, statementsTo_, std::move(rejects),
                                               ports_.settings.AccessFile(), bulkLimits_);
        }
        bulk_->Start(table_, schema_);
        bulkTable_ = true;
        bulkInto_ = "INSERT INTO ";
        AppendTableName(bulkInto_, schema_, table_);
    } catch (const std::exception& e) {
        // Said once: the run's rows then go as they always have.
        bulkRun_ = false;
        trap.report(700, shell::DescriptionOf(e) +
                             "\r\nThe rows are sent one INSERT statement at a time instead.");
    }
    return bulkTable_;
}

void ConversionRun::BulkFailed(const BulkFailure& failure) {
    if (failure.connectionLost()) connectionLost_ = true;
    bulkFailure_ = failure;
}

void ConversionRun::BulkRow(const std::string& statement) { BulkRowOf(statement); }

void ConversionRun::BulkRow(const CopyRow& row) { BulkRowOf(row); }

template <class Row> void ConversionRun::BulkRowOf(const Row& row) {
    ++summary_.statements;
    if (bulkFailure_ || Halted()) return;
    try {
        bulk_->Row(row);
    } catch (const BulkFailure& failure) {
        BulkFailed(failure);
    } catch (const std::exception& e) {
        // A statement output that failed: the rest of the table is not written either.
        BulkFailed(BulkFailure(shell::DescriptionOf(e), false, bulk_->loaded()));
    }
}

void ConversionRun::FinishBulk(shell::Trap& trap) {
    if (!bulkTable_) return;
    bulkTable_ = false;
    if (!bulkFailure_ && !connectionLost_) {
        try {
            bulk_->Finish();
        } catch (const BulkFailure& failure) {
            BulkFailed(failure);
        } catch (const std::exception& e) {
            BulkFailed(BulkFailure(shell::DescriptionOf(e), false, bulk_->loaded()));
        }
    }
    const std::int64_t loaded = bulk_->loaded();
    summary_.executed += loaded;
    summary_.refused += bulk_->refused();
    tableWritten_ = loaded;
    if (bulk_->refused() > 0) trap.report(702, bulk_->RefusalReport());
    if (bulkFailure_) {
        // The row the loop stopped on was handed over already.
        std::int64_t left = CountRowsLeft(records_, ports_.events);
        if (left > 0) --left;
        const std::int64_t settled = bulk_->settled();
        const std::int64_t notLoaded = bulk_->rows() - settled + left;
        std::string text = bulkFailure_->what();
        if (bulkFailure_->connectionLost())
            text += "\r\nRows 1 to " + std::to_string(settled) + " of " + table_ +
                    " are committed (but for those refused); the " + std::to_string(notLoaded) +
                    " rows after them are not.";
        else
            text += "\r\nRows not copied: " + std::to_string(notLoaded);
        trap.report(704, text);
    }
    ports_.view.TableLoaded(table_, bulk_->rows(), loaded, bulk_->refused());
}

} // namespace tabulant::engine
