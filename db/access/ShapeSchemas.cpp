#include "ShapeSchemas.h"

#include "RowListCursor.h"

#include "platform/Utf8.h"

#include <initializer_list>
#include <map>

namespace tabulant::db {

using platform::Variant;

namespace {

// A rowset of named, typed columns filled row by row.
class Rows {
public:
    Rows(std::initializer_list<std::pair<const char*, platform::AdoType>> columns) {
        for (const auto& [name, type] : columns) columns_.push_back({name, type, Variant()});
    }
    void Add(std::vector<Variant> row) {
        row.resize(columns_.size());
        rows_.push_back(std::move(row));
    }
    std::unique_ptr<platform::Cursor> Cursor() {
        return std::make_unique<RowListCursor>(std::move(columns_), std::move(rows_));
    }

private:
    std::vector<platform::Field> columns_;
    std::vector<std::vector<Variant>> rows_;
};

constexpr platform::AdoType Text = platform::adVarWChar;
constexpr platform::AdoType Integer = platform::adInteger;
constexpr platform::AdoType Boolean = platform::adBoolean;

// OLE DB's values of the NULLS column of the indexes rowset.
constexpr int NullsAllowed = 0;
constexpr int NullsDisallowed = 1;
constexpr int NullsIgnored = 2;
// And of its COLLATION column.
constexpr int Ascending = 1;
constexpr int Descending = 2;

Variant optionalInteger(const std::optional<std::int64_t>& v) {
    return v ? Variant::integer(*v) : Variant::null();
}
Variant optionalInteger(const std::optional<int>& v) {
    return v ? Variant::integer(*v) : Variant::null();
}
Variant optionalText(const std::string& v) {
    return v.empty() ? Variant::null() : Variant::text(v);
}
Variant counting(std::size_t zeroBased) { return Variant::integer(std::int64_t(zeroBased) + 1); }

// One index per stored index: the names Access shows for it, in preference the primary key,
// then an ordinary index, then the relationship whose foreign key it serves. A stored index that
// only a referenced-side relationship entry names is the other table's concern.
std::vector<const IndexShape*> storedIndexes(const TableShape& t) {
    std::map<std::uint32_t, const IndexShape*> chosen;
    auto rank = [](const IndexShape& x) {
        if (x.kind == IndexShape::Kind::PrimaryKey) return 0;
        if (x.kind == IndexShape::Kind::Ordinary) return 1;
        return x.referencedSide ? 3 : 2;
    };
    for (const IndexShape& x : t.indexes) {
        auto [it, added] = chosen.emplace(x.storedIndex, &x);
        if (!added && rank(x) < rank(*it->second)) it->second = &x;
    }
    std::vector<const IndexShape*> out;
    for (const IndexShape& x : t.indexes) {
        const IndexShape* pick = chosen.at(x.storedIndex);
        if (pick == &x && rank(x) < 3) out.push_back(pick);
    }
    return out;
}

const char* rule(bool cascade) { return cascade ? "CASCADE" : "NO ACTION"; }

// The name of the primary key or unique index of `table` over exactly these columns, if any.
Variant referencedKeyName(const std::vector<TableShape>& tables, const RelationshipShape& r) {
    for (const TableShape& t : tables) {
        if (platform::LowerCase(t.name) != platform::LowerCase(r.referencedTable)) continue;
        for (const IndexShape& x : t.indexes) {
            if (x.kind == IndexShape::Kind::ForeignKey || !x.unique ||
                x.columns.size() != r.columns.size())
                continue;
            bool same = true;
            for (std::size_t i = 0; i < x.columns.size(); ++i)
                same = same && platform::LowerCase(x.columns[i].first) ==
                                   platform::LowerCase(r.columns[i].second);
            if (same) return Variant::text(x.name);
        }
    }
    return Variant::null();
}

} // namespace

std::unique_ptr<platform::Cursor> ColumnsSchema(const std::vector<TableShape>& tables) {
    Rows rows{{"TABLE_CATALOG", Text},        {"TABLE_SCHEMA", Text},
              {"TABLE_NAME", Text},           {"COLUMN_NAME", Text},
              {"ORDINAL_POSITION", Integer},  {"IS_NULLABLE", Boolean},
              {"DATA_TYPE", Integer},         {"CHARACTER_MAXIMUM_LENGTH", Integer},
              {"NUMERIC_PRECISION", Integer}, {"NUMERIC_SCALE", Integer},
              {"ACCESS_TYPE", Text},          {"IS_REQUIRED", Boolean},
              {"IS_AUTONUMBER", Boolean},     {"AUTONUMBER_COUNTER", Integer},
              {"IS_CALCULATED", Boolean},     {"COLUMN_DEFAULT", Text},
              {"DESCRIPTION", Text},          {"VALIDATION_RULE", Text},
              {"VALIDATION_TEXT", Text},      {"ALLOW_ZERO_LENGTH", Boolean}};
    for (const TableShape& t : tables) {
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const ColumnShape& c = t.columns[i];
            const bool counter = c.autoNumber && c.adoType == platform::adInteger;
            rows.Add({Variant::null(),
                      Variant::null(),
                      Variant::text(t.name),
                      Variant::text(c.name),
                      counting(i),
                      Variant::boolean(!c.notNull),
                      Variant::integer(c.adoType),
                      optionalInteger(c.length),
                      optionalInteger(c.precision),
                      optionalInteger(c.scale),
                      Variant::text(AccessTypeName(c)),
                      Variant::boolean(c.required),
                      Variant::boolean(c.autoNumber),
                      counter ? optionalInteger(t.autoNumberCounter) : Variant::null(),
                      Variant::boolean(c.calculated),
                      optionalText(c.defaultValue),
                      optionalText(c.description),
                      optionalText(c.validationRule),
                      optionalText(c.validationText),
                      c.allowZeroLength ? Variant::boolean(*c.allowZeroLength) : Variant::null()});
        }
    }
    return rows.Cursor();
}

std::unique_ptr<platform::Cursor> CheckConstraintsSchema(const std::vector<TableShape>& tables) {
    Rows rows{{"TABLE_NAME", Text},  {"CONSTRAINT_NAME", Text},   {"CHECK_CLAUSE", Text},
              {"DESCRIPTION", Text}, {"TABLE_DESCRIPTION", Text}, {"DAMAGE", Text}};
    for (const TableShape& t : tables) {
        const Variant table = Variant::text(t.name), about = optionalText(t.description);
        if (!t.validationRule.empty())
            rows.Add({table, Variant::null(), Variant::text(t.validationRule),
                      optionalText(t.validationText), about});
        for (const auto& [name, condition] : t.checkConstraints)
            rows.Add(
                {table, Variant::text(name), Variant::text(condition), Variant::null(), about});
        if (!t.propertyDamage.empty() ||
            (!t.description.empty() && t.validationRule.empty() && t.checkConstraints.empty()))
            rows.Add({table, Variant::null(), Variant::null(), Variant::null(), about,
                      optionalText(t.propertyDamage)});
    }
    return rows.Cursor();
}

std::unique_ptr<platform::Cursor> IndexesSchema(const std::vector<TableShape>& tables) {
    Rows rows{{"TABLE_CATALOG", Text},       {"TABLE_SCHEMA", Text}, {"TABLE_NAME", Text},
              {"INDEX_CATALOG", Text},       {"INDEX_SCHEMA", Text}, {"INDEX_NAME", Text},
              {"PRIMARY_KEY", Boolean},      {"UNIQUE", Boolean},    {"NULLS", Integer},
              {"ORDINAL_POSITION", Integer}, {"COLUMN_NAME", Text},  {"COLLATION", Integer}};
    for (const TableShape& t : tables) {
        for (const IndexShape* x : storedIndexes(t)) {
            const int nulls = x->required      ? NullsDisallowed
                              : x->ignoreNulls ? NullsIgnored
                                               : NullsAllowed;
            for (std::size_t i = 0; i < x->columns.size(); ++i)
                rows.Add({Variant::null(), Variant::null(), Variant::text(t.name), Variant::null(),
                          Variant::null(), Variant::text(x->name),
                          Variant::boolean(x->kind == IndexShape::Kind::PrimaryKey),
                          Variant::boolean(x->unique), Variant::integer(nulls), counting(i),
                          Variant::text(x->columns[i].first),
                          Variant::integer(x->columns[i].second ? Ascending : Descending)});
        }
    }
    return rows.Cursor();
}

std::unique_ptr<platform::Cursor> PrimaryKeysSchema(const std::vector<TableShape>& tables) {
    Rows rows{{"TABLE_CATALOG", Text}, {"TABLE_SCHEMA", Text}, {"TABLE_NAME", Text},
              {"COLUMN_NAME", Text},   {"ORDINAL", Integer},   {"PK_NAME", Text}};
    for (const TableShape& t : tables) {
        for (const IndexShape& x : t.indexes) {
            if (x.kind != IndexShape::Kind::PrimaryKey) continue;
            for (std::size_t i = 0; i < x.columns.size(); ++i)
                rows.Add({Variant::null(), Variant::null(), Variant::text(t.name),
                          Variant::text(x.columns[i].first), counting(i), Variant::text(x.name)});
            break; // a table has one primary key
        }
    }
    return rows.Cursor();
}

std::unique_ptr<platform::Cursor>
ForeignKeysSchema(const std::vector<RelationshipShape>& relationships,
                  const std::vector<TableShape>& tables) {
    Rows rows{{"PK_TABLE_CATALOG", Text}, {"PK_TABLE_SCHEMA", Text},  {"PK_TABLE_NAME", Text},
              {"PK_COLUMN_NAME", Text},   {"FK_TABLE_CATALOG", Text}, {"FK_TABLE_SCHEMA", Text},
              {"FK_TABLE_NAME", Text},    {"FK_COLUMN_NAME", Text},   {"ORDINAL", Integer},
              {"UPDATE_RULE", Text},      {"DELETE_RULE", Text},      {"PK_NAME", Text},
              {"FK_NAME", Text},          {"DEFERRABILITY", Integer}, {"IS_ENFORCED", Boolean}};
    for (const RelationshipShape& r : relationships) {
        const bool enforced = r.Enforced();
        const char* onDelete = !enforced             ? "NO ACTION"
                               : r.CascadeDeletes()  ? "CASCADE"
                               : r.CascadeSetsNull() ? "SET NULL"
                                                     : "NO ACTION";
        const Variant keyName = referencedKeyName(tables, r);
        for (std::size_t i = 0; i < r.columns.size(); ++i)
            rows.Add({Variant::null(), Variant::null(), Variant::text(r.referencedTable),
                      Variant::text(r.columns[i].second), Variant::null(), Variant::null(),
                      Variant::text(r.table), Variant::text(r.columns[i].first), counting(i),
                      Variant::text(rule(enforced && r.CascadeUpdates())), Variant::text(onDelete),
                      keyName, Variant::text(r.name), Variant::null(), Variant::boolean(enforced)});
    }
    return rows.Cursor();
}

} // namespace tabulant::db
