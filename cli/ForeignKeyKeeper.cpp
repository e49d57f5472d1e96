#include "ForeignKeyKeeper.h"

#include "db/PostgreSQL.h"
#include "engine/SqlText.h"
#include "platform/Recordset.h"
#include "shell/core/ErrorReport.h"

#include <algorithm>

namespace tabulant::cli {

namespace {

std::string quotedName(const std::string& name) {
    std::string out;
    engine::AppendQuotedName(out, name);
    return out;
}

std::string textArray(const std::vector<std::string>& texts) {
    std::string out = "ARRAY[";
    for (const std::string& t : texts) {
        if (out.size() > 6) out += ", ";
        out += "E'";
        engine::AppendEscapeStringBody(out, t);
        out += "'";
    }
    return out + "]::text[]";
}

std::unique_ptr<platform::Connection> open(platform::ConnectionFactory& factory,
                                           const db::ConnectionFields& server) {
    auto connection = factory.CreateConnection();
    connection->CursorLocation(platform::Connection::adUseClient);
    db::OpenPostgreSQL(*connection, server);
    return connection;
}

} // namespace

std::string ForeignKeyKeeper::namespaceOid() const {
    if (schema_.empty()) return "current_schema()::regnamespace";
    // A schema that does not exist yet holds no keys: no row, where a cast would fail.
    std::string out = "(SELECT oid FROM pg_namespace WHERE nspname = E'";
    engine::AppendEscapeStringBody(out, schema_);
    return out + "')";
}

std::vector<ForeignKeyKeeper::Key> ForeignKeyKeeper::keys(platform::Connection& connection,
                                                          const std::string& where) {
    platform::Recordset rows(connection.Execute(
        "SELECT c.conname, s.relname, pg_get_constraintdef(c.oid) FROM pg_constraint c "
        "JOIN pg_class s ON s.oid = c.conrelid JOIN pg_class d ON d.oid = c.confrelid "
        "WHERE c.contype = 'f' AND s.relnamespace = " +
        namespaceOid() + where + " ORDER BY 2, 1"));
    std::vector<Key> found;
    for (; !rows.Eof(); rows.MoveNext()) {
        const platform::FieldList f = rows.Fields();
        found.push_back(
            {f.Item(0).value.payload(), f.Item(1).value.payload(), f.Item(2).value.payload()});
    }
    rows.Close();
    return found;
}

void ForeignKeyKeeper::Note(const db::ConnectionFields& server,
                            const std::vector<std::string>& tables, const std::string& schema) {
    schema_ = schema;
    auto connection = open(connections_, server);
    const std::string names = textArray(tables);
    noted_ = keys(*connection, " AND (s.relname::text = ANY (" + names +
                                   ") OR d.relname::text = ANY (" + names + "))");
    connection->Close();
}

std::vector<std::string> ForeignKeyKeeper::Restore(const db::ConnectionFields& server) {
    if (noted_.empty()) return {};
    std::vector<std::string> missed;
    auto connection = open(connections_, server);
    const std::vector<Key> now = keys(*connection, "");
    for (const Key& key : noted_) {
        const bool there = std::any_of(now.begin(), now.end(), [&](const Key& k) {
            return k.table == key.table && (k.name == key.name || k.definition == key.definition);
        });
        if (there) continue;
        try {
            std::string table;
            engine::AppendTableName(table, schema_, key.table);
            connection->Execute("ALTER TABLE " + table + " ADD CONSTRAINT " + quotedName(key.name) +
                                " " + key.definition);
        } catch (const std::exception& e) {
            missed.push_back(quotedName(key.table) + "." + quotedName(key.name) + " (" +
                             shell::DescriptionOf(e) + ")");
        }
    }
    connection->Close();
    return missed;
}

} // namespace tabulant::cli
