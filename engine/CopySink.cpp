#include "CopySink.h"

#include "CopyText.h"
#include "SqlText.h"

namespace tabulant::engine {

CopySink::CopySink(db::CopyConnection& connection, RowOutcomes& outcomes, Limits limits)
    : outcomes_(outcomes), limits_(limits), sender_(std::make_unique<ChunkSender>(connection)) {}

CopySink::~CopySink() = default;

void CopySink::Start(std::string_view table, std::string_view schema) {
    // A table ended by a failure may have left chunks behind: they are dropped.
    sender_->Wait();
    sender_->Reset();
    if (chunk_) chunk_->Clear();
    copy_ = CopyFromStdinStatement(table, schema);
    into_ = "INSERT INTO ";
    AppendTableName(into_, schema, table);
    rows_ = 0;
    committed_ = 0;
    settled_ = 0;
}

CopyChunk& CopySink::ChunkFor(bool made) {
    if (sender_->HasNews()) Collect();
    ++rows_;
    if (chunk_ && chunk_->rows > 0 && chunk_->made != made) Hand();
    if (!chunk_) chunk_ = sender_->Take();
    if (chunk_->rows == 0) {
        chunk_->copy = copy_;
        chunk_->into = into_;
        chunk_->made = made;
        chunk_->firstRow = rows_;
    }
    return *chunk_;
}

void CopySink::Row(const std::string& statement) {
    ChunkFor(false).Keep(statement);
    if (chunk_->rows >= limits_.rows || chunk_->bytes >= limits_.bytes) Hand();
}

void CopySink::Row(const CopyRow& row) {
    ChunkFor(true).Keep(row);
    if (chunk_->rows >= limits_.rows || chunk_->bytes >= limits_.bytes) Hand();
}

void CopySink::Hand() {
    if (!chunk_ || chunk_->rows == 0) return;
    sender_->Send(std::move(chunk_));
}

void CopySink::Finish() {
    Hand();
    sender_->Wait();
    Collect();
}

void CopySink::Collect() {
    news_.clear();
    const std::optional<ChunkFailure> failure = sender_->Collect(news_);
    for (ChunkOutcome& outcome : news_) {
        settled_ = outcome.settled;
        if (outcome.loaded > 0) {
            committed_ += outcome.loaded;
            outcomes_.Loaded(outcome.loaded);
        } else {
            outcomes_.Refused(outcome.refusedRow, outcome.statement, outcome.reason);
        }
    }
    if (failure) throw BulkFailure(failure->description, failure->connectionLost, committed_);
}

} // namespace tabulant::engine
