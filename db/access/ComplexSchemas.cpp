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

const std::initializer_list<const char*> ValueColumns = {
    "COLUMN_NAME",    "PARENT_ROW", "VALUE",    "VALUE_DATE", "FILE_NAME", "FILE_TYPE",
    "FILE_TIMESTAMP", "FILE_DATA",  "FILE_URL", "FILE_FLAGS", "DAMAGE"};
constexpr std::size_t DamageColumn = 10;

// The values rowset of one table, read as it is walked: a field's hidden table is read twice,
// once for the owning row of each value (its key column alone), then row by row in the order of
// the owning rows, so that one value at a time is held, whatever the size of the files.
class ValuesCursor final : public platform::Cursor {
public:
    using Owners = std::unordered_map<std::uint32_t, std::int64_t>; // key -> owning row
    ValuesCursor(std::shared_ptr<AccessDatabase> db, std::vector<ComplexEntry> entries,
                 std::vector<Owners> owners)
        : db_(std::move(db)), entries_(std::move(entries)), owners_(std::move(owners)),
          fields_(columns(ValueColumns)) {
        field_ = std::size_t(-1);
        nextField();
    }

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return field_ >= entries_.size(); }
    std::int64_t recordCount() const override { return -1; }
    void moveNext() override {
        if (atEnd()) return;
        if (++next_ < order_.size())
            show();
        else
            nextField();
    }

private:
    struct Value {
        std::int64_t parent;
        TableScanner::Place place;
    };

    // Opens the next field with values and shows its first; atEnd after the last.
    void nextField() {
        flat_.reset();
        while (++field_ < entries_.size()) {
            try {
                planField();
            } catch (const platform::Error&) {
                // Named by the columns rowset's DAMAGE; the other fields' values still come.
                continue;
            }
            if (!order_.empty()) {
                next_ = 0;
                show();
                return;
            }
        }
        flat_.reset();
        for (platform::Field& f : fields_) f.value.setNull();
    }

    void planField() {
        const AccessDatabase::LookupScope scope(*db_);
        order_.clear();
        flat_ = std::make_unique<FlatTable>(*db_, entries_[field_]);
        std::vector<bool> keyOnly(flat_->rows->Definition().columns.size(), false);
        keyOnly[std::size_t(flat_->key)] = true;
        flat_->rows->ReadOnly(keyOnly);
        const Owners& owners = owners_[field_];
        for (; !flat_->rows->atEnd(); flat_->rows->moveNext()) {
            const Variant& key = flat_->rows->fields()[std::size_t(flat_->key)].value;
            if (key.kind() != Variant::Kind::Integer) continue;
            const auto owner = owners.find(static_cast<std::uint32_t>(key.asInteger()));
            if (owner != owners.end()) order_.push_back({owner->second, flat_->rows->Place()});
        }
        std::stable_sort(order_.begin(), order_.end(),
                         [](const Value& a, const Value& b) { return a.parent < b.parent; });
        flat_->rows->ReadOnly({});
    }

    void show() {
        const ComplexEntry& entry = entries_[field_];
        const Value& at = order_[next_];
        for (platform::Field& f : fields_) f.value.setNull();
        fields_[0].value = Variant::text(entry.column);
        fields_[1].value = Variant::integer(at.parent);
        try {
            flat_->rows->MoveTo(at.place);
        } catch (const platform::Error& error) {
            fields_[DamageColumn].value = Variant::text("A value of the field '" + entry.column +
                                                        "' cannot be read: " + error.what());
            return;
        }
        const FlatTable& flat = *flat_;
        if (flat.layout.kind == ComplexLayout::Kind::Attachment) {
            fields_[4].value = flat.value("FileName");
            fields_[5].value = flat.value("FileType");
            fields_[6].value = flat.value("FileTimeStamp");
            fields_[8].value = flat.value("FileURL");
            fields_[9].value = flat.value("FileFlags");
            const Variant& data = flat.value("FileData");
            if (data.kind() == Variant::Kind::Binary) {
                if (auto file = AttachedFileBytes(data.payload()))
                    fields_[7].value = Variant::binary(*file);
                else
                    fields_[DamageColumn].value =
                        Variant::text("The attached file '" + fields_[4].value.payload() +
                                      "' cannot be read: its stored form is damaged.");
            }
        } else {
            fields_[2].value = flat.valueAt(flat.layout.valueColumn);
            fields_[3].value = flat.valueAt(flat.layout.dateColumn);
        }
    }

    std::shared_ptr<AccessDatabase> db_;
    std::vector<ComplexEntry> entries_;
    std::vector<Owners> owners_; // by entry
    std::vector<platform::Field> fields_;
    std::size_t field_ = 0; // the entry whose values are shown
    std::unique_ptr<FlatTable> flat_;
    std::vector<Value> order_; // the field's values, in the order they are given
    std::size_t next_ = 0;     // in order_: the value shown
};

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
        std::vector<bool> keysOnly(defs.size(), false);
        for (std::size_t k = 0; k < entries.size(); ++k)
            for (std::size_t i = 0; i < defs.size(); ++i)
                if (defs[i].name == entries[k].column && defs[i].type == coltype::Complex)
                    columnOf[k] = int(i);
        for (const int c : columnOf)
            if (c >= 0) keysOnly[std::size_t(c)] = true;
        rows->ReadOnly(keysOnly);
        for (std::int64_t ordinal = 1; !rows->atEnd(); rows->moveNext(), ++ordinal)
            for (std::size_t k = 0; k < entries.size(); ++k)
                if (const std::int64_t key = rows->ComplexKey(std::size_t(columnOf[k])); key >= 0)
                    owners[k].emplace(static_cast<std::uint32_t>(key), ordinal);
    }
    return std::make_unique<ValuesCursor>(db.shared_from_this(), std::move(entries),
                                          std::move(owners));
}

} // namespace tabulant::db
