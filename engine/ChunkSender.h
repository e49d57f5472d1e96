#pragma once

#include "CopyChunk.h"
#include "db/copy/CopyConnection.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tabulant::engine {

// What became of rows sent: `loaded` more rows committed, or the row `refusedRow` refused for
// `reason`; every row up to `settled` (1-based within the table) is then committed or refused.
struct ChunkOutcome {
    std::int64_t loaded = 0;
    std::int64_t refusedRow = 0;
    std::string statement; // the refused row's INSERT
    std::string reason;
    std::int64_t settled = 0;
};

// Why sending ended: the server refused a chunk without naming a row of it, or went away.
struct ChunkFailure {
    std::string description;
    bool connectionLost = false;
};

// Sends chunks to the server on a thread of its own, one after the other in the order given,
// while the caller reads and fills the next; each chunk is one COPY and one transaction (a row
// without a COPY line, executed on its own, splits it in two). When the
// server refuses a chunk at a row, the rows before it are sent again, the row is set aside as
// refused, and the rest of the chunk is tried again, so every row the server accepts lands once,
// in order. A failure that names no row ends sending: the chunks queued after it are dropped
// until Reset().
// At most `waiting` chunks wait behind the one under way, so memory stays that of a few chunks.
// Thread: the calls are the caller's thread's (one thread); the connection is used only by the
// sender's own thread from construction to destruction.
class ChunkSender {
public:
    explicit ChunkSender(db::CopyConnection& connection, std::size_t waiting = 1);
    // Waits for the chunk under way; the chunks waiting are dropped.
    ~ChunkSender();
    ChunkSender(const ChunkSender&) = delete;
    ChunkSender& operator=(const ChunkSender&) = delete;

    // An empty chunk to fill: one sent before, or a new one.
    std::unique_ptr<CopyChunk> Take();
    // Queues the chunk; waits while `waiting` chunks are queued already.
    void Send(std::unique_ptr<CopyChunk> chunk);
    // Waits until every chunk queued is committed, refused or dropped.
    void Wait();
    // True when outcomes or a failure are there to collect (a cheap look).
    bool HasNews() const;
    // Appends the outcomes so far to `out`, in order; the failure that ended sending, if any.
    std::optional<ChunkFailure> Collect(std::vector<ChunkOutcome>& out);
    // Forgets a failure, for the next table. Call after Wait().
    void Reset();

private:
    void Loop();
    void Process(CopyChunk& chunk);
    void ExecuteAlone(const CopyChunk& chunk, std::size_t i);
    // Sends rows [first, last) of the chunk until each is committed or refused; `ended` is how
    // a COPY of them sent already ended.
    void SendRows(const CopyChunk& chunk, std::size_t first, std::size_t last,
                  std::optional<db::CopyResult> ended = std::nullopt);
    std::size_t RefusedAt(const db::CopyResult& result, std::size_t first, std::size_t last);
    void Report(ChunkOutcome outcome);
    void Loaded(std::int64_t rows, std::int64_t settled);
    [[noreturn]] void Fail(const db::CopyResult& result);

    db::CopyConnection& connection_;
    const std::size_t waiting_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<CopyChunk>> queue_;
    std::vector<std::unique_ptr<CopyChunk>> spare_;
    std::vector<ChunkOutcome> outcomes_;
    std::optional<ChunkFailure> failure_;
    bool busy_ = false; // a chunk is under way
    bool quit_ = false;
    std::atomic<bool> news_ = false;
    std::thread thread_;
};

} // namespace tabulant::engine
