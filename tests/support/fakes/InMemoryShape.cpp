#include "InMemoryShape.h"

#include "InMemoryTable.h"

namespace tabulant::fakes {

using platform::Variant;
using enum platform::AdoType;

namespace {

Variant Text(const std::string& s) { return Variant::text(s); }
Variant Int(std::int64_t n) { return Variant::integer(n); }
Variant Optional(const std::optional<int>& n) { return n ? Int(*n) : Variant(); }

InMemoryTable Rowset(std::vector<std::pair<const char*, platform::AdoType>> columns) {
    InMemoryTable t;
    for (const auto& [name, type] : columns) t.columns.push_back({name, type});
    return t;
}

} // namespace

std::unique_ptr<platform::Cursor> ColumnsRowset(const std::vector<InMemoryTable>& tables) {
    InMemoryTable r = Rowset({{"TABLE_CATALOG", adVarWChar},
                              {"TABLE_SCHEMA", adVarWChar},
                              {"TABLE_NAME", adVarWChar},
                              {"COLUMN_NAME", adVarWChar},
                              {"ORDINAL_POSITION", adInteger},
                              {"IS_NULLABLE", adBoolean},
                              {"DATA_TYPE", adInteger},
                              {"CHARACTER_MAXIMUM_LENGTH", adInteger},
                              {"NUMERIC_PRECISION", adInteger},
                              {"NUMERIC_SCALE", adInteger},
                              {"ACCESS_TYPE", adVarWChar},
                              {"IS_REQUIRED", adBoolean},
                              {"IS_AUTONUMBER", adBoolean},
                              {"AUTONUMBER_COUNTER", adInteger},
                              {"IS_CALCULATED", adBoolean}});
    for (const InMemoryTable& t : tables) {
        if (t.type != "TABLE") continue;
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const ColumnDef& c = t.columns[i];
            const auto found = t.shapes.find(c.name);
            const ColumnShape shape = found == t.shapes.end() ? ColumnShape{} : found->second;
            const bool counter = shape.autoNumber && t.autoNumberCounter;
            r.rows.push_back(
                {Variant(), Variant(), Text(t.name), Text(c.name), Int(std::int64_t(i) + 1),
                 Variant::boolean(!shape.notNull && c.type != adBoolean), Int(c.type),
                 Optional(shape.length), Optional(shape.precision), Optional(shape.scale),
                 shape.accessType.empty() ? Variant() : Text(shape.accessType),
                 Variant::boolean(shape.notNull), Variant::boolean(shape.autoNumber),
                 counter ? Int(*t.autoNumberCounter) : Variant(), Variant::boolean(false)});
        }
    }
    return OwningCursor(std::move(r));
}

std::unique_ptr<platform::Cursor> IndexesRowset(const std::vector<InMemoryTable>& tables) {
    InMemoryTable r = Rowset({{"TABLE_CATALOG", adVarWChar},
                              {"TABLE_SCHEMA", adVarWChar},
                              {"TABLE_NAME", adVarWChar},
                              {"INDEX_CATALOG", adVarWChar},
                              {"INDEX_SCHEMA", adVarWChar},
                              {"INDEX_NAME", adVarWChar},
                              {"PRIMARY_KEY", adBoolean},
                              {"UNIQUE", adBoolean},
                              {"NULLS", adInteger},
                              {"ORDINAL_POSITION", adInteger},
                              {"COLUMN_NAME", adVarWChar},
                              {"COLLATION", adInteger}});
    for (const InMemoryTable& t : tables) {
        if (t.type != "TABLE") continue;
        for (const IndexShape& x : t.indexes)
            for (std::size_t i = 0; i < x.columns.size(); ++i)
                r.rows.push_back({Variant(), Variant(), Text(t.name), Variant(), Variant(),
                                  Text(x.name), Variant::boolean(x.primaryKey),
                                  Variant::boolean(x.unique || x.primaryKey),
                                  Int(x.primaryKey ? 1 : 0), Int(std::int64_t(i) + 1),
                                  Text(x.columns[i].first), Int(x.columns[i].second ? 1 : 2)});
    }
    return OwningCursor(std::move(r));
}

std::unique_ptr<platform::Cursor> PrimaryKeysRowset(const std::vector<InMemoryTable>& tables) {
    InMemoryTable r = Rowset({{"TABLE_CATALOG", adVarWChar},
                              {"TABLE_SCHEMA", adVarWChar},
                              {"TABLE_NAME", adVarWChar},
                              {"COLUMN_NAME", adVarWChar},
                              {"ORDINAL", adInteger},
                              {"PK_NAME", adVarWChar}});
    for (const InMemoryTable& t : tables) {
        if (t.type != "TABLE") continue;
        for (const IndexShape& x : t.indexes) {
            if (!x.primaryKey) continue;
            for (std::size_t i = 0; i < x.columns.size(); ++i)
                r.rows.push_back({Variant(), Variant(), Text(t.name), Text(x.columns[i].first),
                                  Int(std::int64_t(i) + 1), Text(x.name)});
        }
    }
    return OwningCursor(std::move(r));
}

std::unique_ptr<platform::Cursor>
ForeignKeysRowset(const std::vector<RelationshipShape>& relationships) {
    InMemoryTable r = Rowset({{"PK_TABLE_CATALOG", adVarWChar},
                              {"PK_TABLE_SCHEMA", adVarWChar},
                              {"PK_TABLE_NAME", adVarWChar},
                              {"PK_COLUMN_NAME", adVarWChar},
                              {"FK_TABLE_CATALOG", adVarWChar},
                              {"FK_TABLE_SCHEMA", adVarWChar},
                              {"FK_TABLE_NAME", adVarWChar},
                              {"FK_COLUMN_NAME", adVarWChar},
                              {"ORDINAL", adInteger},
                              {"UPDATE_RULE", adVarWChar},
                              {"DELETE_RULE", adVarWChar},
                              {"PK_NAME", adVarWChar},
                              {"FK_NAME", adVarWChar},
                              {"DEFERRABILITY", adInteger},
                              {"IS_ENFORCED", adBoolean}});
    for (const RelationshipShape& k : relationships)
        for (std::size_t i = 0; i < k.columns.size(); ++i)
            r.rows.push_back({Variant(), Variant(), Text(k.referencedTable),
                              Text(k.columns[i].second), Variant(), Variant(), Text(k.table),
                              Text(k.columns[i].first), Int(std::int64_t(i) + 1),
                              Text(k.updateRule), Text(k.deleteRule), Variant(), Text(k.name),
                              Variant(), Variant::boolean(k.enforced)});
    return OwningCursor(std::move(r));
}

} // namespace tabulant::fakes
