#pragma once

#include "db/copy/CopyConnection.h"

#include <cstdint>
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
// Rows are streamed to the server while the chunk fills, so reading and loading overlap.
// Thread: the user-interface thread; blocking calls on the connection.
class CopySink {
public:
    struct Limits {
        std::size_t rows = 10'000;    // rows of a chunk at most
        std::size_t bytes = 8u << 20; // COPY text of a chunk at most
    };

    CopySink(db::CopyConnection& connection, RowOutcomes& outcomes, Limits limits);

    // The table whose rows follow.
    void Start(std::string_view table, std::string_view schema = {});
    // One row, as its INSERT statement. Throws BulkFailure.
    void Row(const std::string& statement);
    // Sends what is kept. Throws BulkFailure.
    void Finish();

    std::int64_t committed() const { return committed_; }
    // The last row (1-based) up to which every row given is committed or refused.
    std::int64_t settled() const { return settled_; }

private:
    void Flush();
    // Sends kept rows [first, last) again, until each is committed or refused.
    void SendAgain(std::size_t first, std::size_t last);
    // The kept row a refusal of rows [first, last) names; throws BulkFailure when it names none.
    std::size_t RefusedAt(const db::CopyResult& result, std::size_t first, std::size_t last);
    void Refuse(const db::CopyResult& result, std::size_t bad);
    void Loaded(std::int64_t rows);
    [[noreturn]] void Fail(const db::CopyResult& result);
    void ExecuteAlone(const std::string& statement, std::int64_t row);

    db::CopyConnection& connection_;
    RowOutcomes& outcomes_;
    Limits limits_;
    std::string copy_;              // COPY "T" FROM STDIN
    std::vector<std::string> kept_; // the chunk's statements, reused from chunk to chunk
    std::size_t keptCount_ = 0;
    std::int64_t firstRow_ = 1;  // the table's row number of kept_[0]
    std::int64_t rows_ = 0;      // rows given for the table
    std::int64_t committed_ = 0; // of them, committed
    std::int64_t settled_ = 0;
    bool streaming_ = false;    // a COPY of the chunk is under way
    bool streamFailed_ = false; // sending it failed; End() tells why
    std::size_t chunkBytes_ = 0;
    std::string pending_; // lines not yet handed to the connection
    std::string line_;
};

} // namespace tabulant::engine
