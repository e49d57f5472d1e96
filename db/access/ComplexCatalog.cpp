#include "ComplexCatalog.h"

#include "AccessDatabase.h"
#include "AccessTableCursor.h"

namespace tabulant::db {

namespace {

const platform::Field* find(std::vector<platform::Field>& fields, std::string_view name) {
    for (const platform::Field& f : fields)
        if (f.name == name) return &f;
    return nullptr;
}

std::int64_t number(const platform::Field* f) {
    return f && f->value.kind() == platform::Variant::Kind::Integer ? f->value.asInteger() : -1;
}

} // namespace

std::vector<ComplexEntry> ReadComplexEntries(AccessDatabase& db) {
    std::vector<ComplexEntry> entries;
    const AccessDatabase::LookupScope scope(db);
    auto cursor = db.OpenSystemTable("MSysComplexColumns");
    if (!cursor) return entries;
    for (; !cursor->atEnd(); cursor->moveNext()) {
        auto& f = cursor->fields();
        const platform::Field* name = find(f, "ColumnName");
        if (!name || name->value.kind() != platform::Variant::Kind::Text) continue;
        entries.push_back({name->value.payload(),
                           static_cast<std::uint32_t>(number(find(f, "ConceptualTableID"))),
                           static_cast<std::uint32_t>(number(find(f, "FlatTableID"))),
                           static_cast<std::uint32_t>(number(find(f, "ComplexTypeObjectID")))});
    }
    return entries;
}

ComplexLayout ReadComplexLayout(AccessDatabase& db, const ComplexEntry& entry) {
    const AccessDatabase::LookupScope scope(db);
    ComplexLayout layout;
    auto type = db.OpenTableAt(entry.typePage, "complex type");
    const std::vector<ColumnDef>& columns = type->Definition().columns;
    for (const ColumnDef& c : columns) {
        const int at = static_cast<int>(layout.valueColumns.size());
        layout.valueColumns.push_back(c.name);
        if (c.name == "FileData") layout.kind = ComplexLayout::Kind::Attachment;
        if (c.type == coltype::DateTime && layout.dateColumn < 0) {
            layout.dateColumn = at;
        } else if (layout.valueColumn < 0) {
            layout.valueColumn = at;
            layout.valueType = c.type;
        }
    }
    if (layout.kind != ComplexLayout::Kind::Attachment && columns.size() == 2 &&
        layout.dateColumn >= 0 && layout.valueColumn >= 0)
        layout.kind = ComplexLayout::Kind::VersionHistory;
    else if (layout.kind == ComplexLayout::Kind::MultiValued && columns.size() == 1 &&
             layout.dateColumn == 0) {
        // A multi-valued Date/Time field: its one column is the value.
        layout.valueColumn = 0;
        layout.valueType = coltype::DateTime;
        layout.dateColumn = -1;
    }
    return layout;
}

const char* ComplexKindName(ComplexLayout::Kind kind) {
    switch (kind) {
    case ComplexLayout::Kind::Attachment:
        return "attachment";
    case ComplexLayout::Kind::VersionHistory:
        return "version history";
    case ComplexLayout::Kind::MultiValued:
        break;
    }
    return "multi-valued";
}

} // namespace tabulant::db
