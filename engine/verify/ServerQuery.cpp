#include "ServerQuery.h"

#include "ServerText.h"

#include "engine/SqlText.h"
#include "platform/Error.h"

#include <charconv>

namespace tabulant::engine::verify {

namespace {

void appendStringLiteral(std::string& out, std::string_view text) {
    // Backslashes doubled in an escape string, so that the literal means the same text
    // whatever standard_conforming_strings says.
    out += "E'";
    for (const char c : text) {
        if (c == '\'' || c == '\\') out += c;
        out += c;
    }
    out += '\'';
}

void appendSchemaTest(std::string& out, std::string_view schema) {
    if (schema.empty()) {
        out += "current_schema()";
        return;
    }
    appendStringLiteral(out, schema);
}

void appendTableName(std::string& out, std::string_view schema, std::string_view table) {
    if (!schema.empty()) {
        AppendQuotedName(out, schema);
        out += '.';
    }
    AppendQuotedName(out, table);
}

std::string text(const std::optional<std::string>& value) { return value.value_or(""); }

std::int64_t whole(const std::optional<std::string>& value) {
    const std::string t = text(value);
    std::int64_t n = 0;
    std::from_chars(t.data(), t.data() + t.size(), n);
    return n;
}

std::uint64_t sumOf(const std::optional<std::string>& value) {
    std::uint64_t sum = 0;
    if (!ReadSum(text(value), sum))
        throw platform::Error(-1, "The server gave no checksum: \"" + text(value) + "\"");
    return sum;
}

} // namespace

bool ReadSum(std::string_view t, std::uint64_t& sum) {
    const bool negative = !t.empty() && t.front() == '-';
    if (negative) t.remove_prefix(1);
    if (t.empty()) return false;
    std::uint64_t value = 0;
    for (const char c : t) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    sum = negative ? 0 - value : value;
    return true;
}

void ServerQuery::SetTextForms() {
    // A large table is read whole and its values hashed: worth the server's parallel workers,
    // which then hash while the session sums. A small one is summed before workers would have
    // started. Only this session's plans change.
    connection_.Rows("SET extra_float_digits = 1; SET DateStyle = 'ISO, MDY'; "
                     "SET bytea_output = 'hex'; SET max_parallel_workers_per_gather = 4; "
                     "SET parallel_setup_cost = 0; SET parallel_tuple_cost = 0");
}

std::string ServerQuery::CurrentSchema() {
    const auto rows = connection_.Rows("SELECT current_schema()::text");
    return rows.empty() || rows[0].empty() ? std::string() : text(rows[0][0]);
}

ServerTables ServerQuery::Tables(std::string_view schema, std::string_view only) {
    std::string sql =
        "SELECT c.relname::text, a.attname::text, format_type(a.atttypid, a.atttypmod) "
        "FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "LEFT JOIN pg_catalog.pg_attribute a "
        "ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "WHERE c.relkind IN ('r', 'p') AND n.nspname = ";
    appendSchemaTest(sql, schema);
    if (!only.empty()) {
        sql += " AND c.relname = ";
        appendStringLiteral(sql, only);
    }
    sql += " ORDER BY c.relname, a.attnum";
    ServerTables tables;
    for (const db::TextRow& row : connection_.Rows(sql)) {
        if (row.size() != 3) throw platform::Error(-1, "The server listed its tables unreadably");
        auto& columns = tables[text(row[0])];
        if (row[1]) columns.push_back({*row[1], text(row[2])});
    }
    return tables;
}

std::string ServerQuery::ValueText(std::string_view name, std::string_view type) {
    std::string sql = "(";
    AppendQuotedName(sql, name);
    const TextForm form = FormOfType(type).form;
    // Adding a positive zero turns a negative zero positive and leaves every other value be.
    if (form == TextForm::Real) sql += " + 0::real";
    if (form == TextForm::Double) sql += " + 0::float8";
    return sql + ")::text";
}

std::string ServerQuery::SumsStatement(std::string_view schema, std::string_view table,
                                       const std::vector<ServerColumn>& columns) {
    // Each value is hashed once, in the inner query; the outer one sums per column and, per
    // row, mixes the column hashes (a null by its position) into one. OFFSET 0 keeps the inner
    // query a query of its own: pulled up into the outer one, each hash would be computed again
    // wherever the outer query names it (three times a value), at three times the cost.
    std::string sql = "SELECT count(*)::text";
    std::string hashes;
    std::string mixed;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::string h = "h" + std::to_string(k + 1);
        const std::string salt = std::to_string(k + 1);
        sql += ", count(" + h + ")::text, coalesce(sum(" + h + "), 0)::text";
        hashes += k == 0 ? "" : ", ";
        hashes += "hashtextextended(" + ValueText(columns[k].name, columns[k].type) + ", " + salt +
                  ") AS " + h;
        mixed += k == 0 ? "" : " # ";
        mixed += "coalesce(" + h + ", " + salt + ")";
    }
    if (mixed.empty()) mixed = "0::bigint";
    sql += ", coalesce(sum(hashint8extended(" + mixed + ", 0)), 0)::text FROM (SELECT ";
    sql += hashes.empty() ? "1 AS none" : hashes;
    sql += " FROM ";
    appendTableName(sql, schema, table);
    sql += " OFFSET 0) AS v";
    return sql;
}

void ServerQuery::SendSums(std::string_view schema, const ServerTables::value_type& table) {
    connection_.Send(SumsStatement(schema, table.first, table.second));
}

void ServerQuery::TakeSums(const ServerTables::value_type& table, TableCheck& check) {
    const auto& columns = table.second;
    const auto rows = connection_.Receive();
    if (rows.empty()) throw platform::Error(-1, "The server gave no checksums");
    const db::TextRow& fields = rows[0];
    if (fields.size() != 2 * columns.size() + 2)
        throw platform::Error(-1, "The server gave checksums of another shape");
    check.serverRows = whole(fields[0]);
    check.columns.resize(columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k) {
        ColumnCheck& c = check.columns[k];
        c.name = columns[k].name;
        c.type = columns[k].type;
        c.server.nulls = check.serverRows - whole(fields[1 + 2 * k]);
        c.server.sum = sumOf(fields[2 + 2 * k]);
    }
    check.serverRowSum = sumOf(fields.back());
}

} // namespace tabulant::engine::verify
