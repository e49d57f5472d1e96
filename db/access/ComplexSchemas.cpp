#include "ComplexSchemas.h"

#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "AccessTableCursor.h"
#include "AttachedFile.h"
#include "ComplexCatalog.h"
#include "DatabaseShape.h"
#include "RowListCursor.h"

#include "platform/AdoType.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <unordered_map>

namespace tabulant::db {

using platform::Variant;

namespace {

std::vector<platform::Field> columns(std::initializer_list<const char*> names) {
    std::vector<platform::Field> out;
    for (const char* n : names) out.push_back({n, platform::adVariant, Variant()});
    return out;
}

// A column's hidden table opened, with its columns found: the owning row's key (the one Long
// column that is neither a template column nor the table's own AutoNumber) and each template
// column. Throws platform::Error when the table cannot be read or has no such key.
struct FlatTable {
    FlatTable(AccessDatabase& db, const ComplexEntry& entry)
        : layout(ReadComplexLayout(db, entry)), rows(db.OpenTableAt(entry.flatPage, entry.column)) {
        const std::vector<ColumnDef>& defs = rows->Definition().columns;
        at.assign(layout.valueColumns.size(), -1);
        for (std::size_t i = 0; i < defs.size(); ++i) {
            const auto named =
                std::find(layout.valueColumns.begin(), layout.valueColumns.end(), defs[i].name);
            if (named != layout.valueColumns.end())
                at[std::size_t(named - layout.valueColumns.begin())] = int(i);
            else if (defs[i].type == coltype::Long && (defs[i].flags & 0x04) == 0 && key < 0)
                key = int(i);
        }
        if (key < 0) throw DamagedTable(entry.column);
    }
    // The template column `name`'s value in the current row; null when the table lacks it.
    const Variant& value(std::string_view name) const {
        static const Variant none;
        for (std::size_t i = 0; i < at.size(); ++i)
            if (layout.valueColumns[i] == name && at[i] >= 0)
                return rows->fields()[std::size_t(at[i])].value;
        return none;
    }
    const Variant& valueAt(int column) const {
        static const Variant none;
        if (column < 0 || at[std::size_t(column)] < 0) return none;
        return rows->fields()[std::size_t(at[std::size_t(column)])].value;
    }

    ComplexLayout layout;
    std::unique_ptr<AccessTableCursor> rows;
    std::vector<int> at; // by template column: the position in rows, or -1
    int key = -1;
};

std::vector<const CatalogEntry*> listedTables(const AccessDatabase& db) {
    std::vector<const CatalogEntry*> out;
    for (const CatalogEntry* e : db.SchemaOrder())
        if (AccessDatabase::TableType(*e) == "TABLE") out.push_back(e);
    return out;
}

// One value row of one field, before the rows are put in order.
struct ValueRow {
    std::int64_t parent = 0;
    std::vector<Variant> cells;
};

void readValues(AccessDatabase& db, const ComplexEntry& entry,
                const std::unordered_map<std::uint32_t, std::int64_t>& owners,
                std::vector<ValueRow>& out) {
    const AccessDatabase::LookupScope scope(db);
    FlatTable flat(db, entry);
    std::vector<ValueRow> rows;
    for (; !flat.rows->atEnd(); flat.rows->moveNext()) {
        const Variant& key = flat.rows->fields()[std::size_t(flat.key)].value;
        if (key.kind() != Variant::Kind::Integer) continue;
        const auto owner = owners.find(static_cast<std::uint32_t>(key.asInteger()));
        if (owner == owners.end()) continue;
        ValueRow r{owner->second, std::vector<Variant>(9)};
        r.cells[0] = Variant::text(entry.column);
        r.cells[1] = Variant::integer(owner->second);
        if (flat.layout.kind == ComplexLayout::Kind::Attachment) {
            r.cells[4] = flat.value("FileName");
            r.cells[5] = flat.value("FileType");
            r.cells[6] = flat.value("FileTimeStamp");
            const Variant& data = flat.value("FileData");
            if (data.kind() == Variant::Kind::Binary) {
                if (auto file = AttachedFileBytes(data.payload()))
                    r.cells[7] = Variant::binary(*file);
                else
                    r.cells[8] = Variant::text("The attached file '" + r.cells[4].payload() +
                                               "' cannot be read: its stored form is damaged.");
            }
        } else {
            r.cells[2] = flat.valueAt(flat.layout.valueColumn);
            r.cells[3] = flat.valueAt(flat.layout.dateColumn);
        }
        rows.push_back(std::move(r));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ValueRow& a, const ValueRow& b) { return a.parent < b.parent; });
    std::move(rows.begin(), rows.end(), std::back_inserter(out));
}

} // namespace

std::unique_ptr<platform::Cursor> ComplexColumnsSchema(AccessDatabase& db) {
    const std::vector<ComplexEntry> entries = ReadComplexEntries(db);
    std::vector<std::vector<Variant>> rows;
    for (const CatalogEntry* table : listedTables(db)) {
        for (const ComplexEntry& e : entries) {
            if (e.tablePage != table->page) continue;
            std::vector<Variant> row{Variant::text(table->name), Variant::text(e.column), Variant(),
                                     Variant(), Variant()};
            try {
                const AccessDatabase::LookupScope scope(db);
                const FlatTable flat(db, e);
                row[2] = Variant::text(ComplexKindName(flat.layout.kind));
                if (flat.layout.kind != ComplexLayout::Kind::Attachment) {
                    ColumnShape shape;
                    shape.accessType = flat.layout.valueType;
                    row[3] = Variant::text(AccessTypeName(shape));
                }
            } catch (const platform::Error& error) {
                row[4] = Variant::text("The values of the field '" + e.column + "' of '" +
                                       table->name + "' cannot be read: " + error.what());
            }
            rows.push_back(std::move(row));
        }
    }
    return std::make_unique<RowListCursor>(
        columns({"TABLE_NAME", "COLUMN_NAME", "COMPLEX_KIND", "VALUE_TYPE", "DAMAGE"}),
        std::move(rows));
}

std::unique_ptr<platform::Cursor> ComplexValuesSchema(AccessDatabase& db, std::string_view table) {
    const std::string wanted = platform::LowerCase(table);
    const CatalogEntry* found = nullptr;
    for (const CatalogEntry* e : listedTables(db))
        if (platform::LowerCase(e->name) == wanted) found = e;
    if (!found) throw NoSuchTable(table);

    std::vector<ComplexEntry> entries = ReadComplexEntries(db);
    std::erase_if(entries, [&](const ComplexEntry& e) { return e.tablePage != found->page; });
    // Which row holds which key: the rows in the order the table's record set gives them.
    std::vector<std::unordered_map<std::uint32_t, std::int64_t>> owners(entries.size());
    if (!entries.empty()) {
        const AccessDatabase::LookupScope scope(db);
        auto rows = db.OpenTableAt(found->page, found->name);
        const std::vector<ColumnDef>& defs = rows->Definition().columns;
        std::vector<int> columnOf(entries.size(), -1);
        for (std::size_t k = 0; k < entries.size(); ++k)
            for (std::size_t i = 0; i < defs.size(); ++i)
                if (defs[i].name == entries[k].column && defs[i].type == coltype::Complex)
                    columnOf[k] = int(i);
        for (std::int64_t ordinal = 1; !rows->atEnd(); rows->moveNext(), ++ordinal)
            for (std::size_t k = 0; k < entries.size(); ++k)
                if (const std::int64_t key = rows->ComplexKey(std::size_t(columnOf[k])); key >= 0)
                    owners[k].emplace(static_cast<std::uint32_t>(key), ordinal);
    }
    std::vector<ValueRow> values;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        try {
            readValues(db, entries[k], owners[k], values);
        } catch (const platform::Error&) {
            // Named by the columns rowset's DAMAGE; the other fields' values still come.
        }
    }
    std::vector<std::vector<Variant>> rows;
    rows.reserve(values.size());
    for (ValueRow& v : values) rows.push_back(std::move(v.cells));
    return std::make_unique<RowListCursor>(
        columns({"COLUMN_NAME", "PARENT_ROW", "VALUE", "VALUE_DATE", "FILE_NAME", "FILE_TYPE",
                 "FILE_TIMESTAMP", "FILE_DATA", "DAMAGE"}),
        std::move(rows));
}

} // namespace tabulant::db
