#include "ChunkSender.h"

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
    if (!chunk.copy.empty()) return SendRows(chunk, 0, chunk.rows);
    const db::CopyResult result = connection_.Execute(chunk.statements[0]);
    if (result.ok) return Loaded(1, chunk.firstRow);
    if (result.connectionLost) Fail(result);
    Report({.refusedRow = chunk.firstRow,
            .statement = chunk.statements[0],
            .reason = result.message,
            .settled = chunk.firstRow});
}

void ChunkSender::SendRows(CopyChunk& chunk, std::size_t first, std::size_t last) {
    while (first < last) {
        const db::CopyResult begun = connection_.Begin(chunk.copy);
        // Refused before any row was read (the table is gone, no right to write it): no row of
        // the table can go.
        if (!begun.ok) Fail(begun);
        const std::string_view lines = chunk.Lines(first, last);
        for (std::size_t at = 0; at < lines.size(); at += PieceBytes) {
            // A failed piece ends the COPY; End() tells why.
            if (!connection_.Put(lines.substr(at, PieceBytes))) break;
        }
        const db::CopyResult result = connection_.End();
        if (result.ok)
            return Loaded(static_cast<std::int64_t>(last - first),
                          chunk.firstRow + static_cast<std::int64_t>(last) - 1);
        const std::size_t bad = RefusedAt(result, first, last);
        // The rows before the refused one were taken once already: they go through.
        if (bad > first) SendRows(chunk, first, bad);
        const std::int64_t row = chunk.firstRow + static_cast<std::int64_t>(bad);
        Report({.refusedRow = row,
                .statement = chunk.statements[bad],
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
