#include "CopySink.h"

#include "CopyText.h"

namespace tabulant::engine {

namespace {
// Lines are handed to the connection in pieces of about this size.
constexpr std::size_t PieceBytes = 64u << 10;
} // namespace

CopySink::CopySink(db::CopyConnection& connection, RowOutcomes& outcomes, Limits limits)
    : connection_(connection), outcomes_(outcomes), limits_(limits) {}

void CopySink::Start(std::string_view table, std::string_view schema) {
    copy_ = CopyFromStdinStatement(table, schema);
    keptCount_ = 0;
    firstRow_ = 1;
    rows_ = 0;
    committed_ = 0;
    settled_ = 0;
    streaming_ = false;
    streamFailed_ = false;
    chunkBytes_ = 0;
    pending_.clear();
}

void CopySink::Loaded(std::int64_t rows) {
    committed_ += rows;
    outcomes_.Loaded(rows);
}

void CopySink::Fail(const db::CopyResult& result) {
    std::string description = "SQLException: [" + result.state + "] " + result.message;
    throw BulkFailure(description, result.connectionLost, committed_);
}

void CopySink::ExecuteAlone(const std::string& statement, std::int64_t row) {
    const db::CopyResult result = connection_.Execute(statement);
    if (result.ok) {
        settled_ = row;
        return Loaded(1);
    }
    if (result.connectionLost) Fail(result);
    settled_ = row;
    outcomes_.Refused(row, statement, result.message);
}

void CopySink::Row(const std::string& statement) {
    ++rows_;
    line_.clear();
    if (!AppendCopyLine(statement, line_)) {
        Flush();
        ExecuteAlone(statement, rows_);
        return;
    }
    if (keptCount_ == 0) firstRow_ = rows_;
    if (keptCount_ == kept_.size()) kept_.emplace_back();
    kept_[keptCount_++].assign(statement);
    if (!streaming_) {
        const db::CopyResult begun = connection_.Begin(copy_);
        // Refused before any row was read: no row of the table can go.
        if (!begun.ok) Fail(begun);
        streaming_ = true;
        streamFailed_ = false;
    }
    pending_ += line_;
    chunkBytes_ += line_.size();
    if (pending_.size() >= PieceBytes) {
        if (!streamFailed_ && !connection_.Put(pending_)) streamFailed_ = true;
        pending_.clear();
    }
    if (keptCount_ >= limits_.rows || chunkBytes_ >= limits_.bytes) Flush();
}

void CopySink::Finish() { Flush(); }

void CopySink::Flush() {
    if (!streaming_) return;
    if (!streamFailed_) connection_.Put(pending_);
    pending_.clear();
    streaming_ = false;
    chunkBytes_ = 0;
    const std::size_t count = keptCount_;
    const db::CopyResult result = connection_.End();
    keptCount_ = 0;
    if (result.ok) {
        settled_ = firstRow_ + static_cast<std::int64_t>(count) - 1;
        return Loaded(static_cast<std::int64_t>(count));
    }
    const std::size_t bad = RefusedAt(result, 0, count);
    if (bad > 0) SendAgain(0, bad);
    Refuse(result, bad);
    SendAgain(bad + 1, count);
}

std::size_t CopySink::RefusedAt(const db::CopyResult& result, std::size_t first, std::size_t last) {
    // Only a refusal that names one of the rows sent can be worked around; anything else is
    // the table's or the connection's.
    if (result.connectionLost || !result.line || *result.line < 1 ||
        static_cast<std::size_t>(*result.line) > last - first)
        Fail(result);
    return first + static_cast<std::size_t>(*result.line) - 1;
}

void CopySink::Refuse(const db::CopyResult& result, std::size_t bad) {
    settled_ = firstRow_ + static_cast<std::int64_t>(bad);
    outcomes_.Refused(settled_, kept_[bad], result.message);
}

void CopySink::SendAgain(std::size_t first, std::size_t last) {
    while (first < last) {
        const db::CopyResult begun = connection_.Begin(copy_);
        if (!begun.ok) Fail(begun);
        std::string& lines = pending_;
        lines.clear();
        for (std::size_t i = first; i < last; ++i) {
            AppendCopyLine(kept_[i], lines);
            if (lines.size() >= PieceBytes) {
                connection_.Put(lines);
                lines.clear();
            }
        }
        connection_.Put(lines);
        lines.clear();
        const db::CopyResult result = connection_.End();
        if (result.ok) {
            settled_ = firstRow_ + static_cast<std::int64_t>(last) - 1;
            return Loaded(static_cast<std::int64_t>(last - first));
        }
        const std::size_t bad = RefusedAt(result, first, last);
        // The rows before the refused one were taken once already: they go through.
        if (bad > first) SendAgain(first, bad);
        Refuse(result, bad);
        first = bad + 1;
    }
}

} // namespace tabulant::engine
