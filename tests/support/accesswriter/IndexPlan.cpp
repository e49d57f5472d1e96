#include "IndexPlan.h"

#include "TableState.h"

#include "platform/AsciiText.h"

#include <algorithm>

namespace tabulant::accesswriter {

using platform::Variant;

namespace {

constexpr std::uint8_t kUnique = 0x01, kIgnoreNulls = 0x02, kRequired = 0x08;
constexpr std::size_t kMaxKeyColumns = 10;

TableWriter::State& tableNamed(const std::vector<TableWriter::State*>& tables,
                               const std::string& name, const std::string& relationship) {
    for (TableWriter::State* t : tables)
        if (t->name == name) return *t;
    throw AccessWriterError("relationship \"" + relationship + "\": no table \"" + name + "\"");
}

std::uint16_t columnNumber(const TableWriter::State& t, const std::string& column,
                           const std::string& what) {
    for (const ColumnLayout& c : t.columns)
        if (c.def.name == column) return c.number;
    throw AccessWriterError(what + ": table \"" + t.name + "\" has no column \"" + column + "\"");
}

std::vector<std::pair<std::uint16_t, bool>> keysOf(const TableWriter::State& t,
                                                   const std::vector<std::string>& columns,
                                                   const std::string& what) {
    if (columns.empty() || columns.size() > kMaxKeyColumns)
        throw AccessWriterError(what + ": 1 to 10 columns");
    std::vector<std::pair<std::uint16_t, bool>> keys;
    for (const std::string& c : columns) keys.emplace_back(columnNumber(t, c, what), true);
    return keys;
}

// The stored index over exactly these columns, in this order, unique if asked.
std::optional<std::uint32_t> findReal(const IndexPlan& plan,
                                      const std::vector<std::pair<std::uint16_t, bool>>& keys,
                                      bool unique) {
    for (std::uint32_t i = 0; i < plan.real.size(); ++i) {
        const IndexPlan::Real& r = plan.real[i];
        if (unique && (r.flags & kUnique) == 0) continue;
        if (r.keys.size() != keys.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < keys.size(); ++k)
            same = same && r.keys[k].first == keys[k].first;
        if (same) return i;
    }
    return std::nullopt;
}

// ".rB", ".rC", ...: the first such name the table does not use yet.
std::string referencedSideName(const IndexPlan& plan) {
    for (char letter = 'B'; letter <= 'Z'; ++letter) {
        const std::string name = std::string(".r") + letter;
        const bool used = std::any_of(plan.logical.begin(), plan.logical.end(),
                                      [&](const IndexPlan::Logical& l) { return l.name == name; });
        if (!used) return name;
    }
    throw AccessWriterError("too many relationships refer to one table");
}

void planDeclared(TableWriter::State& t, const FormatLayout& layout) {
    IndexPlan& plan = t.indexPlan;
    bool primary = false;
    for (const Index& x : t.options.indexes) {
        const std::string what = "index \"" + x.name + "\"";
        if (x.primaryKey && primary) throw AccessWriterError(what + ": a second primary key");
        primary = primary || x.primaryKey;
        std::vector<std::string> names;
        for (const IndexColumn& c : x.columns) names.push_back(c.name);
        IndexPlan::Real r;
        r.keys = keysOf(t, names, what);
        for (std::size_t k = 0; k < r.keys.size(); ++k) r.keys[k].second = x.columns[k].ascending;
        r.flags = static_cast<std::uint8_t>(
            layout.realIndexFlagsAlways | (x.unique || x.primaryKey ? kUnique : 0) |
            (x.ignoreNulls ? kIgnoreNulls : 0) | (x.required || x.primaryKey ? kRequired : 0));
        IndexPlan::Logical l;
        l.name = x.name;
        l.number = static_cast<std::int32_t>(plan.logical.size());
        l.real = static_cast<std::uint32_t>(plan.real.size());
        l.kind = x.primaryKey ? 1 : 0;
        plan.real.push_back(std::move(r));
        plan.logical.push_back(std::move(l));
    }
}

void planRelationship(const std::vector<TableWriter::State*>& tables, const Relationship& rel,
                      const FormatLayout& layout) {
    const std::string what = "relationship \"" + rel.name + "\"";
    TableWriter::State& one = tableNamed(tables, rel.referencedTable, rel.name);
    TableWriter::State& many = tableNamed(tables, rel.table, rel.name);
    std::vector<std::string> manyColumns, oneColumns;
    for (const auto& [column, referenced] : rel.columns) {
        manyColumns.push_back(column);
        oneColumns.push_back(referenced);
    }
    const auto oneKeys = keysOf(one, oneColumns, what);
    const auto manyKeys = keysOf(many, manyColumns, what);
    if (!rel.enforced) return;

    const auto oneReal = findReal(one.indexPlan, oneKeys, true);
    if (!oneReal)
        throw AccessWriterError(what + ": \"" + one.name +
                                "\" has no primary key or unique index over the columns");
    IndexPlan::Logical oneSide;
    oneSide.name = referencedSideName(one.indexPlan);
    oneSide.number = static_cast<std::int32_t>(one.indexPlan.logical.size());
    oneSide.real = *oneReal;
    oneSide.side = 1;
    one.indexPlan.logical.push_back(oneSide);

    std::optional<std::uint32_t> manyReal = findReal(many.indexPlan, manyKeys, false);
    if (!manyReal) {
        manyReal = static_cast<std::uint32_t>(many.indexPlan.real.size());
        many.indexPlan.real.push_back({manyKeys, layout.realIndexFlagsAlways});
    }
    IndexPlan::Logical manySide;
    manySide.name = rel.name;
    manySide.number = static_cast<std::int32_t>(many.indexPlan.logical.size());
    manySide.real = *manyReal;
    manySide.side = 2;
    many.indexPlan.logical.push_back(manySide);

    // The two entries name each other; the referenced side's entry was added first, so in a
    // relationship of a table with itself its number is still right.
    IndexPlan::Logical& a = one.indexPlan.logical[static_cast<std::size_t>(oneSide.number)];
    IndexPlan::Logical& b = many.indexPlan.logical[static_cast<std::size_t>(manySide.number)];
    for (IndexPlan::Logical* l : {&a, &b}) {
        l->kind = 2;
        l->cascadeUpdates = rel.cascadeUpdates ? 1 : 0;
        l->cascadeDeletes = rel.cascadeDeletes ? 1 : rel.cascadeSetsNull ? 2 : 0;
    }
    a.partner = b.number;
    a.partnerPage = many.tdefPage;
    b.partner = a.number;
    b.partnerPage = one.tdefPage;
}

std::uint32_t attributes(const Relationship& r) {
    return (r.oneToOne ? 0x1u : 0u) | (r.enforced ? 0u : 0x2u) | (r.cascadeUpdates ? 0x100u : 0u) |
           (r.cascadeDeletes ? 0x1000u : 0u) | (r.cascadeSetsNull ? 0x2000u : 0u);
}

} // namespace

void planIndexes(const std::vector<TableWriter::State*>& tables,
                 const std::vector<Relationship>& relationships, const FormatLayout& layout) {
    for (TableWriter::State* t : tables) planDeclared(*t, layout);
    for (const Relationship& r : relationships) planRelationship(tables, r, layout);
    for (TableWriter::State* t : tables)
        std::stable_sort(t->indexPlan.logical.begin(), t->indexPlan.logical.end(),
                         [](const IndexPlan::Logical& a, const IndexPlan::Logical& b) {
                             return platform::AsciiLowerCase(a.name) <
                                    platform::AsciiLowerCase(b.name);
                         });
}

std::vector<Column> relationshipColumns() {
    return {Column::of("ccolumn", ColumnType::Long),
            Column::of("grbit", ColumnType::Long),
            Column::of("icolumn", ColumnType::Long),
            Column::of("szColumn", ColumnType::Text, 64),
            Column::of("szObject", ColumnType::Text, 64),
            Column::of("szReferencedColumn", ColumnType::Text, 64),
            Column::of("szReferencedObject", ColumnType::Text, 64),
            Column::of("szRelationship", ColumnType::Text, 64)};
}

std::vector<Row> relationshipRows(const std::vector<Relationship>& relationships) {
    std::vector<Row> rows;
    for (const Relationship& r : relationships) {
        const auto count = static_cast<std::int64_t>(r.columns.size());
        for (std::int64_t i = 0; i < count; ++i) {
            const auto& [column, referenced] = r.columns[static_cast<std::size_t>(i)];
            rows.push_back({Variant::integer(count), Variant::integer(attributes(r)),
                            Variant::integer(i), Variant::text(column), Variant::text(r.table),
                            Variant::text(referenced), Variant::text(r.referencedTable),
                            Variant::text(r.name)});
        }
    }
    return rows;
}

} // namespace tabulant::accesswriter
