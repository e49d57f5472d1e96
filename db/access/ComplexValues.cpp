#include "ComplexValues.h"

#include "AccessDatabase.h"
#include "AccessTableCursor.h"

#include "platform/RegionalText.h"

#include <set>
#include <utility>

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

ComplexValues::ComplexValues(AccessDatabase& database, std::uint32_t tablePage) : db_(database) {
    try {
        readEntries(tablePage);
    } catch (const platform::Error&) {
        // Without its entries no column's values can be found: each is damaged when first met.
        columns_.clear();
    }
}

void ComplexValues::readEntries(std::uint32_t tablePage) {
    const AccessDatabase::LookupScope scope(db_);
    auto cursor = db_.OpenSystemTable("MSysComplexColumns");
    if (!cursor) return;
    for (; !cursor->atEnd(); cursor->moveNext()) {
        auto& f = cursor->fields();
        if (number(find(f, "ConceptualTableID")) != tablePage) continue;
        const platform::Field* name = find(f, "ColumnName");
        if (!name || name->value.kind() != platform::Variant::Kind::Text) continue;
        Source& s = columns_[name->value.payload()];
        s.flatPage = static_cast<std::uint32_t>(number(find(f, "FlatTableID")));
        s.typePage = static_cast<std::uint32_t>(number(find(f, "ComplexTypeObjectID")));
    }
}

bool ComplexValues::load(Source& s) try {
    s.loaded = true;
    const AccessDatabase::LookupScope scope(db_);
    // The hidden table holds the type's value columns, an AutoNumber key of its own and the key
    // the owning row refers to: the one Long column that is neither.
    std::set<std::string> valueNames;
    if (auto type = db_.OpenTableAt(s.typePage, "complex type"))
        for (const platform::Field& f : type->fields()) valueNames.insert(f.name);
    auto flat = db_.OpenTableAt(s.flatPage, "complex values");
    const TableDefinition& def = flat->Definition();
    int keyColumn = -1;
    std::vector<int> shown;
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const ColumnDef& c = def.columns[i];
        if (valueNames.count(c.name)) {
            if (c.name == "FileName" || !valueNames.count("FileName")) shown.push_back(int(i));
        } else if (c.type == coltype::Long && (c.flags & 0x04) == 0 && keyColumn < 0) {
            keyColumn = static_cast<int>(i);
        }
    }
    if (keyColumn < 0) return false;
    const platform::RegionalText text(platform::RegionalText::EnglishUS());
    for (; !flat->atEnd(); flat->moveNext()) {
        auto& f = flat->fields();
        const platform::Variant& key = f[static_cast<std::size_t>(keyColumn)].value;
        if (key.kind() != platform::Variant::Kind::Integer) continue;
        auto [it, fresh] = s.values.try_emplace(static_cast<std::uint32_t>(key.asInteger()));
        bool first = fresh;
        for (int column : shown) {
            if (!first) it->second += ';';
            first = false;
            const platform::Variant& v = f[static_cast<std::size_t>(column)].value;
            if (v.kind() == platform::Variant::Kind::Text)
                it->second += v.payload();
            else if (v.kind() == platform::Variant::Kind::Integer)
                it->second += std::to_string(v.asInteger());
            else if (!v.isNull())
                text.AppendText(v, it->second);
        }
    }
    return true;
} catch (const platform::Error&) {
    s.values.clear();
    return false;
}

void ComplexValues::Text(const ColumnDef& column, std::uint32_t key, platform::Variant& out) {
    auto [it, unknown] = columns_.try_emplace(column.name);
    Source& s = it->second;
    if (unknown || (!s.loaded && !load(s))) {
        s.loaded = true;
        s.damaged = true;
        damaged_.push_back(column.name);
    }
    auto value = s.values.find(key);
    if (s.damaged || value == s.values.end())
        out.setNull();
    else
        out.setText(value->second);
}

std::vector<std::string> ComplexValues::TakeDamaged() { return std::exchange(damaged_, {}); }

} // namespace tabulant::db
