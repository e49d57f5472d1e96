#pragma once

#include "ChunkSender.h"
#include "db/copy/CopyConnection.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// What becomes of the rows a bulk load was given.
class RowOutcomes {
public:
    virtual ~RowOutcomes() = default;
    // `rows` more rows of the table are committed, in the order they were given.
    virtual void Loaded(std::int64_t rows) = 0;
    // Row `row` (1-based within its table) was refused for `reason`; `statement` is the row's
    // INSERT statement.
    virtual void Refused(std::int64_t row, const std::string& statement,
                         const std::string& reason) = 0;
};

// A failure that ends the rows of a table: the server refuses them all (the table is gone, the
// user may not write to it) or the connection is lost. `committed` rows of the table were loaded
// before it; the rest of the rows given were not.
class BulkFailure : public std::runtime_error {
public:
    BulkFailure(const std::string& description, bool connectionLost, std::int64_t committed)
        : std::runtime_error(description), connectionLost_(connectionLost), committed_(committed) {}
    bool connectionLost() const { return connectionLost_; }
    std::int64_t committed() const { return committed_; }

private:
    bool connectionLost_;
    std::int64_t committed_;
};

// Loads a table's rows with COPY in chunks, each a transaction of its own. A chunk's rows are
// kept until it commits. When the server refuses a chunk at a row, the rows before that row are
// sent again, the row is handed to the outcomes as refused, and the rest of the chunk is tried
// again; so every row the server accepts lands once, in the order given. A row that has no COPY
// line (CopyText.h) is executed as its statement, after the rows before it.
// A chunk goes to the server on a thread of its own (ChunkSender.h), which also reads the COPY
// lines of rows given as statements, while the next one fills, so reading and loading overlap; what
// became of the rows is handed to the outcomes on the caller's thread, at the next row or at
// Finish(), in order. Thread: one (the user-interface thread); Finish() waits for the server.
class CopySink {
public:
    struct Limits {
        std::size_t rows = 10'000;    // rows of a chunk at most
        std::size_t bytes = 4u << 20; // INSERT statements of a chunk at most
    };

    CopySink(db::CopyConnection& connection, RowOutcomes& outcomes, Limits limits);
    ~CopySink();

    // The table whose rows follow.
    void Start(std::string_view table, std::string_view schema = {});
    // One row, as its INSERT statement. Throws BulkFailure (for a chunk sent before).
    void Row(const std::string& statement);
    // One row as its COPY line made from its values (CopyRow.h).
    void Row(const CopyRow& row);
    // Sends what is kept and waits until every row is committed or refused. Throws BulkFailure.
    void Finish();

    std::int64_t committed() const { return committed_; }
    // The last row (1-based) up to which every row given is committed or refused, as far as the
    // outcomes handed over tell.
    std::int64_t settled() const { return settled_; }

private:
    void Hand();
    void Collect();
    // The chunk to keep the next row in, whose rows are all `made` or all statements.
    CopyChunk& ChunkFor(bool made);

    RowOutcomes& outcomes_;
    Limits limits_;
    std::unique_ptr<ChunkSender> sender_;
    std::unique_ptr<CopyChunk> chunk_; // the chunk filling
    std::string copy_;                 // COPY "T" FROM STDIN
    std::string into_;                 // INSERT INTO "T"
    std::vector<ChunkOutcome> news_;
    std::int64_t rows_ = 0;      // rows given for the table
    std::int64_t committed_ = 0; // of them, committed
    std::int64_t settled_ = 0;
};

} // namespace tabulant::engine
