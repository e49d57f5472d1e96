#pragma once

#include "VerifyReport.h"

#include "db/copy/QueryConnection.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::verify {

struct ServerColumn {
    std::string name;
    std::string type; // as format_type() names it
    bool operator==(const ServerColumn&) const = default;
};

// The columns of every table of one schema of the server, by table name; a table without
// columns is listed with none.
using ServerTables = std::map<std::string, std::vector<ServerColumn>, std::less<>>;

// What the verifier asks the server, on a connection of its own. Every call throws
// platform::Error when the server refuses.
// Thread: the thread that owns the connection.
class ServerQuery {
public:
    explicit ServerQuery(db::QueryConnection& connection) : connection_(connection) {}

    // Makes the session show values in the forms the verifier computes (shortest floats, ISO
    // dates, hex bytea) and sum tables with the server's parallel workers.
    void SetTextForms();
    // The schema unqualified names reach (the first of the search path that exists).
    std::string CurrentSchema();
    // The tables of `schema`, or of the session's current schema when it is empty; only the
    // table named `only` when that is given.
    ServerTables Tables(std::string_view schema, std::string_view only = {});
    // One query over the whole table: its row count, and per column its nulls and the sum of
    // its values' hashes, and the sum of one hash per row. `columns` names every column in
    // order. SendSums returns at once; TakeSums waits for the answer and fills serverRows,
    // serverRowSum and each column's `server` sums.
    void SendSums(std::string_view schema, const ServerTables::value_type& table);
    void TakeSums(const ServerTables::value_type& table, TableCheck& check);

    // The text of a value of the column `name` of type `type` that the server hashes: its
    // ::text, a zero of REAL or DOUBLE PRECISION without its sign (an INSERT's bare literal
    // loses it where COPY keeps it, so only a value with its sign ignored is the same on every
    // route).
    static std::string ValueText(std::string_view name, std::string_view type);
    // The query SendSums sends, for tests and the curious.
    static std::string SumsStatement(std::string_view schema, std::string_view table,
                                     const std::vector<ServerColumn>& columns);

private:
    db::QueryConnection& connection_;
};

// A whole number written in decimal, reduced modulo 2^64, as the server's exact sums are
// compared with ours. False for anything else.
bool ReadSum(std::string_view text, std::uint64_t& sum);

} // namespace tabulant::engine::verify
