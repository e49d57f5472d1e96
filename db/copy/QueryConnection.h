#pragma once

#include "db/ConnectionFields.h"

#include <optional>
#include <string>
#include <vector>

struct pg_conn;

namespace tabulant::db {

// One row of an answer: each value as the server writes it in text, none for NULL.
using TextRow = std::vector<std::optional<std::string>>;

// One libpq connection (LibpqConnect.h) for queries answered in text. A query may be sent and
// its answer taken later, so that the caller works while the server does; one query is under way
// at a time. Every failure throws platform::Error (number -1, "SQLException: [SQLSTATE] ...").
// Thread: one at a time.
class QueryConnection {
public:
    explicit QueryConnection(const ConnectionFields& fields);
    ~QueryConnection();
    QueryConnection(const QueryConnection&) = delete;
    QueryConnection& operator=(const QueryConnection&) = delete;

    // Runs `sql` and returns the rows of its last statement.
    std::vector<TextRow> Rows(const std::string& sql);
    // Sends `sql` without waiting for its answer.
    void Send(const std::string& sql);
    // Waits for the answer of the query sent and returns its rows. Throws the server's refusal
    // once the whole answer has arrived, so that the connection is ready for the next query.
    std::vector<TextRow> Receive();
    bool Waiting() const { return waiting_; }

private:
    pg_conn* conn_;
    bool waiting_ = false;
};

} // namespace tabulant::db
