#include "ShapeReader.h"

#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "AccessTableCursor.h"
#include "IndexSections.h"
#include "LittleEndian.h"
#include "TableDefinition.h"
#include "TableProperties.h"
#include "ValueDecoder.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <map>

namespace tabulant::db {

namespace {

constexpr int AutoNumberFlag = 0x04;
constexpr int GuidAutoNumberFlag = 0x40;
constexpr int HyperlinkFlag = 0x80;
// Access keys an index on at most 10 columns, and a relationship needs such an index.
constexpr std::int64_t MaxKeyColumns = 10;

ColumnShape columnShape(const ColumnDef& c, const JetFormat& f) {
    ColumnShape s;
    s.name = c.name;
    s.accessType = c.type;
    s.adoType = AdoTypeCode(c);
    s.calculated = c.calculated();
    if (!s.calculated) {
        if (c.type == coltype::Text) s.length = c.size / (f.codePageText ? 1 : 2);
        if (c.type == coltype::Numeric) {
            s.precision = c.precision;
            s.scale = c.scale;
        }
        s.autoNumber = (c.type == coltype::Long && (c.flags & AutoNumberFlag) != 0) ||
                       (c.type == coltype::Guid && (c.flags & GuidAutoNumberFlag) != 0);
        s.hyperlink = c.type == coltype::Memo && (c.flags & HyperlinkFlag) != 0;
        // A Yes/No value is its bit in the row's null mask, so it is never null.
        s.notNull = c.type == coltype::Boolean;
    }
    return s;
}

bool holdsComplexColumn(const RealIndex& r, const TableDefinition& def) {
    return std::any_of(r.keys.begin(), r.keys.end(), [&](const IndexKey& k) {
        return std::any_of(def.columns.begin(), def.columns.end(), [&](const ColumnDef& c) {
            return c.number == k.columnNumber && c.type == coltype::Complex && !c.calculated();
        });
    });
}

TableShape tableShape(AccessDatabase& db, const CatalogEntry& entry) {
    const JetFormat& f = db.Format();
    TextDecoder text(f.codePageText, db.Header().codePage);
    std::vector<std::uint8_t> bytes;
    const TableDefinition def = db.ReadDefinition(entry.page, entry.name, &bytes);
    const IndexSections sections = IndexSections::Read(bytes, f, def, text, entry.name);

    TableShape t;
    t.name = entry.name;
    std::map<int, std::size_t> byNumber;
    bool longAutoNumber = false;
    for (const ColumnDef& c : def.columns) {
        ColumnShape s = columnShape(c, f);
        longAutoNumber = longAutoNumber || (s.autoNumber && c.type == coltype::Long);
        byNumber.emplace(c.number, t.columns.size());
        t.columns.push_back(std::move(s));
    }
    ReadTableProperties(entry.properties, text, t);
    for (ColumnShape& s : t.columns) s.notNull = s.notNull || s.required;
    if (longAutoNumber) t.autoNumberCounter = le::i32(&bytes[f.tableDefinition.autoNumber]);

    for (const LogicalIndex& x : sections.logical) {
        const RealIndex& r = sections.real[x.realIndex];
        // Access's own unique index over the keys of a multi-valued or attachment field.
        if (holdsComplexColumn(r, def)) continue;
        IndexShape s;
        s.name = x.name;
        s.kind = static_cast<IndexShape::Kind>(x.kind);
        s.unique = r.Unique();
        s.ignoreNulls = r.IgnoreNulls();
        s.required = r.Required();
        s.storedIndex = x.realIndex;
        s.referencedSide = x.referencedSide;
        const bool keysNotNull = s.kind == IndexShape::Kind::PrimaryKey || s.required;
        for (const IndexKey& k : r.keys) {
            ColumnShape& column = t.columns[byNumber.at(k.columnNumber)];
            s.columns.emplace_back(column.name, k.ascending);
            column.notNull = column.notNull || keysNotNull;
        }
        t.indexes.push_back(std::move(s));
    }
    return t;
}

std::size_t fieldIndex(const std::vector<platform::Field>& fields, std::string_view name) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return i;
    throw DamagedTable("MSysRelationships");
}

struct RelationshipRow {
    std::string name, table, column, referencedTable, referencedColumn;
    std::int64_t attributes = 0, count = 0, position = 0;
};

} // namespace

std::vector<RelationshipShape> ReadRelationships(AccessDatabase& db) {
    auto cursor = db.OpenSystemTable("MSysRelationships");
    if (!cursor) return {};
    auto& f = cursor->fields();
    const std::size_t name = fieldIndex(f, "szRelationship"), grbit = fieldIndex(f, "grbit"),
                      count = fieldIndex(f, "ccolumn"), position = fieldIndex(f, "icolumn"),
                      table = fieldIndex(f, "szObject"), column = fieldIndex(f, "szColumn"),
                      referenced = fieldIndex(f, "szReferencedObject"),
                      referencedColumn = fieldIndex(f, "szReferencedColumn");
    using Kind = platform::Variant::Kind;
    std::map<std::string, std::vector<RelationshipRow>> byName;
    for (; !cursor->atEnd(); cursor->moveNext()) {
        const std::string shown =
            f[name].value.kind() == Kind::Text ? f[name].value.payload() : std::string();
        for (std::size_t i : {name, table, column, referenced, referencedColumn})
            if (f[i].value.kind() != Kind::Text || f[i].value.payload().empty())
                throw DamagedRelationship(shown);
        for (std::size_t i : {grbit, count, position})
            if (f[i].value.kind() != Kind::Integer) throw DamagedRelationship(shown);
        RelationshipRow r{f[name].value.payload(),
                          f[table].value.payload(),
                          f[column].value.payload(),
                          f[referenced].value.payload(),
                          f[referencedColumn].value.payload(),
                          f[grbit].value.asInteger(),
                          f[count].value.asInteger(),
                          f[position].value.asInteger()};
        byName[platform::LowerCase(r.name)].push_back(std::move(r));
    }

    std::vector<RelationshipShape> out;
    for (auto& [key, rows] : byName) {
        const RelationshipRow& first = rows.front();
        const auto n = static_cast<std::int64_t>(rows.size());
        if (first.count != n || n > MaxKeyColumns) throw DamagedRelationship(first.name);
        RelationshipShape r;
        r.name = first.name;
        r.table = first.table;
        r.referencedTable = first.referencedTable;
        r.attributes = static_cast<std::uint32_t>(first.attributes);
        r.columns.resize(rows.size());
        std::vector<bool> seen(rows.size());
        for (const RelationshipRow& row : rows) {
            // Every row of one relationship repeats its tables and attributes; each names one
            // column pair, at its place in the key.
            if (row.table != first.table || row.referencedTable != first.referencedTable ||
                row.attributes != first.attributes || row.count != first.count ||
                row.position < 0 || row.position >= n ||
                seen[static_cast<std::size_t>(row.position)])
                throw DamagedRelationship(first.name);
            seen[static_cast<std::size_t>(row.position)] = true;
            r.columns[static_cast<std::size_t>(row.position)] = {row.column, row.referencedColumn};
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<TableShape> ReadTableShapes(AccessDatabase& db) {
    std::vector<TableShape> tables;
    for (const CatalogEntry* e : db.SchemaOrder())
        if (AccessDatabase::TableType(*e) == "TABLE") tables.push_back(tableShape(db, *e));
    return tables;
}

DatabaseShape ReadDatabaseShape(AccessDatabase& db) {
    return {ReadTableShapes(db), ReadRelationships(db)};
}

} // namespace tabulant::db
