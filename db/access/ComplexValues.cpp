#include "ComplexValues.h"

#include "AccessDatabase.h"
#include "AccessTableCursor.h"
#include "ComplexCatalog.h"

#include "platform/RegionalText.h"

#include <set>
#include <utility>

namespace tabulant::db {

ComplexValues::ComplexValues(AccessDatabase& database, std::uint32_t tablePage) : db_(database) {
    try {
        readEntries(tablePage);
    } catch (const platform::Error&) {
        // Without its entries no column's values can be found: each is damaged when first met.
        columns_.clear();
    }
}

void ComplexValues::readEntries(std::uint32_t tablePage) {
    for (const ComplexEntry& e : ReadComplexEntries(db_)) {
        if (e.tablePage != tablePage) continue;
        Source& s = columns_[e.column];
        s.flatPage = e.flatPage;
        s.typePage = e.typePage;
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
