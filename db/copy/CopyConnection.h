#pragma once

#include "db/ConnectionFields.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct pg_conn;
struct pg_result;

namespace tabulant::db {

// How a COPY ended.
struct CopyResult {
    bool ok = true;
    bool connectionLost = false; // the server went away: nothing more can be sent
    std::string state;           // SQLSTATE of a refusal
    std::string message;         // the server's words, primary message and detail
    // The line of the refused row within this COPY (1-based), as the server's context names it
    // ("COPY t, line 3, column a: ..."); none when the failure was not a row's.
    std::optional<std::int64_t> line;
};

// One libpq connection to PostgreSQL for loading rows with COPY ... FROM STDIN in the text
// format. It connects with the five PostgreSQL fields of the run (empty ones left to libpq,
// which then reads PGHOST, PGPORT, PGUSER, PGPASSWORD, PGDATABASE, the password file and
// PGSSLMODE as PostgreSQL's own tools do) and speaks UTF-8.
// Every COPY is a transaction of its own: its rows are committed together or not at all.
// Thread: one at a time; blocking calls.
class CopyConnection {
public:
    // Connects; throws platform::Error with libpq's reason when that fails. The error number is
    // -1 and the description reads like the ODBC connection's ("SQLException: [08001] ...").
    explicit CopyConnection(const ConnectionFields& fields);
    ~CopyConnection();
    CopyConnection(const CopyConnection&) = delete;
    CopyConnection& operator=(const CopyConnection&) = delete;

    // Starts COPY `statement` (COPY "T" FROM STDIN); a refusal at the start (a table that does
    // not exist) is the returned failure, and no COPY is then under way.
    CopyResult Begin(const std::string& statement);
    // Sends rows of the COPY under way: whole lines, each ending in '\n'. False when the
    // connection failed; End() then tells what happened.
    bool Put(std::string_view lines);
    // Ends the COPY under way and waits for the server's verdict.
    CopyResult End();

    // Runs one statement on its own (for rows that have no COPY line); a refusal is returned.
    CopyResult Execute(const std::string& statement);

private:
    CopyResult Failure(::pg_result* result) const;
    CopyResult Lost() const;

    pg_conn* conn_ = nullptr;
};

// The line number named in a COPY failure's context ("COPY t, line 3, column a: ..."); none when
// it names no line.
std::optional<std::int64_t> CopyLineOf(std::string_view context);

} // namespace tabulant::db
