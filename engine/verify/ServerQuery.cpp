#include "ServerQuery.h"

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

std::string text(const platform::Field& field) {
    if (field.value.kind() == platform::Variant::Kind::Null) return {};
    if (field.value.kind() == platform::Variant::Kind::Text) return field.value.payload();
    if (field.value.kind() == platform::Variant::Kind::Integer)
        return std::to_string(field.value.asInteger());
    return field.value.payload();
}

std::int64_t whole(const platform::Field& field) {
    if (field.value.kind() == platform::Variant::Kind::Integer) return field.value.asInteger();
    const std::string t = text(field);
    std::int64_t n = 0;
    std::from_chars(t.data(), t.data() + t.size(), n);
    return n;
}

std::uint64_t sumOf(const platform::Field& field) {
    std::uint64_t sum = 0;
    if (!ReadSum(text(field), sum))
        throw platform::Error(-1, "The server gave no checksum: \"" + text(field) + "\"");
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
    connection_.Execute("SET extra_float_digits = 1");
    connection_.Execute("SET DateStyle = 'ISO, MDY'");
    connection_.Execute("SET bytea_output = 'hex'");
    // Each table is read whole and summed: worth the server's parallel workers even for small
    // tables, which it would otherwise read alone. Only this session's plans change.
    connection_.Execute("SET max_parallel_workers_per_gather = 4");
    connection_.Execute("SET parallel_setup_cost = 0");
    connection_.Execute("SET parallel_tuple_cost = 0");
    connection_.Execute("SET min_parallel_table_scan_size = 0");
}

std::string ServerQuery::CurrentSchema() {
    auto cursor = connection_.Execute("SELECT current_schema()::text");
    if (!cursor || cursor->atEnd()) return {};
    return text(cursor->fields().at(0));
}

ServerTables ServerQuery::Tables(std::string_view schema) {
    std::string sql =
        "SELECT c.relname::text, a.attname::text, format_type(a.atttypid, a.atttypmod) "
        "FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "LEFT JOIN pg_catalog.pg_attribute a "
        "ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "WHERE c.relkind IN ('r', 'p') AND n.nspname = ";
    appendSchemaTest(sql, schema);
    sql += " ORDER BY c.relname, a.attnum";
    ServerTables tables;
    auto cursor = connection_.Execute(sql);
    for (; cursor && !cursor->atEnd(); cursor->moveNext()) {
        const auto& fields = cursor->fields();
        auto& columns = tables[text(fields.at(0))];
        if (fields.at(1).value.kind() != platform::Variant::Kind::Null)
            columns.push_back({text(fields.at(1)), text(fields.at(2))});
    }
    return tables;
}

std::string ServerQuery::SumsStatement(std::string_view schema, std::string_view table,
                                       const std::vector<ServerColumn>& columns) {
    // Each value is hashed once, in the inner query; the outer one sums per column and, per
    // row, mixes the column hashes (a null by its position) into one.
    std::string sql = "SELECT count(*)::text";
    std::string hashes;
    std::string mixed;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::string h = "h" + std::to_string(k + 1);
        const std::string seed = std::to_string(k + 1);
        sql += ", count(" + h + ")::text, coalesce(sum(" + h + "), 0)::text";
        hashes += k == 0 ? "" : ", ";
        hashes += "hashtextextended((";
        AppendQuotedName(hashes, columns[k].name);
        hashes += ")::text, " + seed + ") AS " + h;
        mixed += k == 0 ? "" : " # ";
        mixed += "coalesce(" + h + ", " + seed + ")";
    }
    if (mixed.empty()) mixed = "0::bigint";
    sql += ", coalesce(sum(hashint8extended(" + mixed + ", 0)), 0)::text FROM (SELECT ";
    sql += hashes.empty() ? "1 AS none" : hashes;
    sql += " FROM ";
    appendTableName(sql, schema, table);
    sql += ") AS v";
    return sql;
}

void ServerQuery::Sums(std::string_view schema, const ServerTables::value_type& table,
                       TableCheck& check) {
    const auto& columns = table.second;
    auto cursor = connection_.Execute(SumsStatement(schema, table.first, columns));
    if (!cursor || cursor->atEnd()) throw platform::Error(-1, "The server gave no checksums");
    const auto& fields = cursor->fields();
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
