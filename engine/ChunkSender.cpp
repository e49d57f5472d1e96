#include "ChunkSender.h"

#include "CopyText.h"

namespace tabulant::engine {

namespace {
// The lines of a chunk are handed to libpq in pieces of about this size, so that its buffer
// stays small.
constexpr std::size_t PieceBytes = 256u << 10;

// Ends the chunk under way and those queued after it.
struct Failed {
    ChunkFailure failure;
};
} // namespace

ChunkSender::ChunkSender(db::CopyConnection& connection, std::size_t waiting)
    : connection_(connection), waiting_(waiting == 0 ? 1 : waiting), thread_([this] { Loop(); }) {}

ChunkSender::~ChunkSender() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

std::unique_ptr<CopyChunk> ChunkSender::Take() {
    const std::lock_guard lock(mutex_);
    if (spare_.empty()) return std::make_unique<CopyChunk>();
    std::unique_ptr<CopyChunk> chunk = std::move(spare_.back());
    spare_.pop_back();
    return chunk;
}

void ChunkSender::Send(std::unique_ptr<CopyChunk> chunk) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < waiting_; });
    queue_.push_back(std::move(chunk));
    lock.unlock();
    changed_.notify_all();
}

void ChunkSender::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && !busy_; });
}

bool ChunkSender::HasNews() const { return news_.load(std::memory_order_acquire); }

std::optional<ChunkFailure> ChunkSender::Collect(std::vector<ChunkOutcome>& out) {
    const std::lock_guard lock(mutex_);
    for (ChunkOutcome& outcome : outcomes_) out.push_back(std::move(outcome));
    outcomes_.clear();
    news_.store(failure_.has_value(), std::memory_order_release);
    return failure_;
}

void ChunkSender::Reset() {
    const std::lock_guard lock(mutex_);
    failure_.reset();
    outcomes_.clear();
    news_.store(false, std::memory_order_release);
}

void ChunkSender::Loop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return quit_ || !queue_.empty(); });
        if (queue_.empty()) return;
        std::unique_ptr<CopyChunk> chunk = std::move(queue_.front());
        queue_.pop_front();
        const bool dropped = failure_.has_value();
        busy_ = !dropped;
        lock.unlock();
        changed_.notify_all();
        std::optional<ChunkFailure> failed;
        if (!dropped) {
            try {
                Process(*chunk);
            } catch (const Failed& f) {
                failed = f.failure;
            }
        }
        chunk->Clear();
        lock.lock();
        if (failed) {
            failure_ = std::move(failed);
            news_.store(true, std::memory_order_release);
        }
        spare_.push_back(std::move(chunk));
        busy_ = false;
        lock.unlock();
        changed_.notify_all();
    }
}

void ChunkSender::Report(ChunkOutcome outcome) {
    const std::lock_guard lock(mutex_);
    outcomes_.push_back(std::move(outcome));
    news_.store(true, std::memory_order_release);
}

void ChunkSender::Loaded(std::int64_t rows, std::int64_t settled) {
    ChunkOutcome outcome;
    outcome.loaded = rows;
    outcome.settled = settled;
    Report(std::move(outcome));
}

void ChunkSender::Fail(const db::CopyResult& result) {
    throw Failed{{"SQLException: [" + result.state + "] " + result.message, result.connectionLost}};
}

void ChunkSender::Process(CopyChunk& chunk) {
    if (chunk.made) return SendRows(chunk, 0, chunk.rows);
    // The lines are made and streamed to the server piece by piece, so that it reads while they
    // are made. A row without a COPY line ends the COPY under way and is executed on its own.
    chunk.lines.clear();
    chunk.ends.clear();
    std::size_t from = 0, sent = 0;
    bool open = false, putFailed = false;
    const auto settle = [&](std::size_t last) {
        if (!open) return;
        if (!putFailed) connection_.Put(std::string_view(chunk.lines).substr(sent));
        open = false;
        SendRows(chunk, from, last, connection_.End());
    };
    for (std::size_t i = 0; i < chunk.rows; ++i) {
        const bool made = AppendCopyLine(chunk.statements[i], chunk.lines);
        chunk.ends.push_back(chunk.lines.size());
        if (!made) {
            settle(i);
            ExecuteAlone(chunk, i);
            from = i + 1;
            sent = chunk.lines.size();
            continue;
        }
        if (!open) {
            const db::CopyResult begun = connection_.Begin(chunk.copy);
            // Refused before any row was read (the table is gone, no right to write it): no
            // row of the table can go.
            if (!begun.ok) Fail(begun);
            open = true;
            putFailed = false;
        }
        if (chunk.lines.size() - sent >= PieceBytes) {
            // A failed piece ends the COPY; End() tells why.
            if (!putFailed && !connection_.Put(std::string_view(chunk.lines).substr(sent)))
                putFailed = true;
            sent = chunk.lines.size();
        }
    }
    settle(chunk.rows);
}

void ChunkSender::ExecuteAlone(const CopyChunk& chunk, std::size_t i) {
    const std::int64_t row = chunk.firstRow + static_cast<std::int64_t>(i);
    const db::CopyResult result = connection_.Execute(chunk.statements[i]);
    if (result.ok) return Loaded(1, row);
    if (result.connectionLost) Fail(result);
    Report({.refusedRow = row,
            .statement = chunk.Statement(i),
            .reason = result.message,
            .settled = row});
}

void ChunkSender::SendRows(const CopyChunk& chunk, std::size_t first, std::size_t last,
                           std::optional<db::CopyResult> ended) {
    while (first < last) {
        db::CopyResult result;
        if (ended) {
            result = std::move(*ended);
            ended.reset();
        } else {
            const db::CopyResult begun = connection_.Begin(chunk.copy);
            if (!begun.ok) Fail(begun);
            const std::string_view lines = chunk.Lines(first, last);
            for (std::size_t at = 0; at < lines.size(); at += PieceBytes)
                if (!connection_.Put(lines.substr(at, PieceBytes))) break;
            result = connection_.End();
        }
        if (result.ok)
            return Loaded(static_cast<std::int64_t>(last - first),
                          chunk.firstRow + static_cast<std::int64_t>(last) - 1);
        const std::size_t bad = RefusedAt(result, first, last);
        // The rows before the refused one were taken once already: they go through.
        if (bad > first) SendRows(chunk, first, bad);
        const std::int64_t row = chunk.firstRow + static_cast<std::int64_t>(bad);
        Report({.refusedRow = row,
                .statement = chunk.Statement(bad),
                .reason = result.message,
                .settled = row});
        first = bad + 1;
    }
}

std::size_t ChunkSender::RefusedAt(const db::CopyResult& result, std::size_t first,
                                   std::size_t last) {
    // Only a refusal that names one of the rows sent can be worked around; anything else is
    // the table's or the connection's.
    if (result.connectionLost || !result.line || *result.line < 1 ||
        static_cast<std::size_t>(*result.line) > last - first)
        Fail(result);
    return first + static_cast<std::size_t>(*result.line) - 1;
}

} // namespace tabulant::engine
