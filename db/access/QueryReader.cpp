#include "QueryReader.h"

#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "AccessTableCursor.h"

#include "platform/AsciiText.h"
#include "platform/Error.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>

namespace tabulant::db {

namespace {

constexpr int QueryObjectType = 5;
constexpr std::uint32_t HiddenFlag = 0x08;
constexpr std::uint32_t IdBits = 0xFFFFFFu;

enum Attribute : int {
    Start = 0,
    TypeRow = 1,
    ParameterRow = 2,
    OptionsRow = 3,
    ExternalRow = 4,
    SourceRow = 5,
    ColumnRow = 6,
    JoinRow = 7,
    WhereRow = 8,
    GroupRow = 9,
    HavingRow = 10,
    OrderRow = 11,
    End = 255,
};

struct Row {
    int attribute = 0;
    std::uint32_t order = 0;
    std::string name1, name2, expression;
    std::optional<std::int64_t> flag, extra;
};

// What makes one query's rows unreadable; caught per query.
struct Damage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Type = QueryDefinition::Type;

// The type the catalogue's flags give (their 0xF0 bits); none when they say "select", which the
// type row may contradict.
std::optional<Type> typeOfObjectFlags(std::uint32_t flags) {
    switch (flags & 0xF0) {
    case 0x00:
        return std::nullopt;
    case 0x10:
        return Type::Crosstab;
    case 0x20:
        return Type::Delete;
    case 0x30:
        return Type::Update;
    case 0x40:
        return Type::Append;
    case 0x50:
        return Type::MakeTable;
    case 0x60:
        return Type::DataDefinition;
    case 0x70:
        return Type::PassThrough;
    case 0x80:
        return Type::Union;
    default:
        throw Damage("unknown query type " + std::to_string(flags & 0xF0));
    }
}

Type typeOfRow(std::int64_t flag) {
    static constexpr Type byFlag[] = {Type::Select,         Type::MakeTable,   Type::Append,
                                      Type::Update,         Type::Delete,      Type::Crosstab,
                                      Type::DataDefinition, Type::PassThrough, Type::Union};
    if (flag < 1 || flag > 9) throw Damage("unknown query type " + std::to_string(flag));
    return byFlag[flag - 1];
}

const std::string& required(const std::string& text, const char* what) {
    if (text.empty()) throw Damage(std::string("a row without its ") + what);
    return text;
}

void appendCondition(std::string& into, const std::string& condition) {
    into = into.empty() ? condition : "(" + into + ") AND (" + condition + ")";
}

void build(QueryDefinition& q, const std::vector<Row>& rows) {
    std::optional<Type> typeRow;
    for (const Row& r : rows) {
        const std::int64_t flag = r.flag.value_or(0);
        switch (r.attribute) {
        case Start:
        case End:
            break;
        case TypeRow:
            typeRow = typeOfRow(flag);
            q.target = r.name1;
            q.targetDatabase = r.name2;
            q.statement = r.expression;
            break;
        case ParameterRow: {
            QueryDefinition::Parameter p{required(r.name1, "parameter name"), int(flag), {}};
            if (flag == 10 && r.extra && *r.extra > 0 && *r.extra <= 255)
                p.textSize = int(*r.extra);
            q.parameters.push_back(std::move(p));
            break;
        }
        case OptionsRow:
            q.options = int(flag);
            q.top = r.name1;
            break;
        case ExternalRow:
            q.externalDatabase = r.name1;
            q.externalType = r.expression;
            break;
        case SourceRow:
            // The parts of a union are sources named by Access's own placeholders.
            if (r.name1.empty() && platform::StartsWithNoCase(r.name2, "X7YZ_____"))
                q.unionParts.push_back(required(r.expression, "union part"));
            else if (r.name1.empty())
                q.sources.push_back({"", required(r.name2, "derived table alias"),
                                     required(r.expression, "derived table")});
            else
                q.sources.push_back({r.name1, r.name2, ""});
            break;
        case ColumnRow:
            q.columns.push_back(
                {required(r.expression, "column expression"), r.name1, r.name2, int(flag)});
            break;
        case JoinRow:
            if (flag < 1 || flag > 3) throw Damage("unknown join kind " + std::to_string(flag));
            q.joins.push_back({required(r.name1, "join's left source"),
                               required(r.name2, "join's right source"),
                               required(r.expression, "join condition"), int(flag)});
            break;
        case WhereRow:
            appendCondition(q.where, required(r.expression, "condition"));
            break;
        case HavingRow:
            appendCondition(q.having, required(r.expression, "condition"));
            break;
        case GroupRow:
            q.groupBy.push_back({required(r.expression, "grouping"), int(flag)});
            break;
        case OrderRow:
            q.orderBy.push_back(
                {required(r.expression, "ordering"), platform::EqualsNoCase(r.name1, "D")});
            break;
        default:
            throw Damage("unknown attribute " + std::to_string(r.attribute));
        }
    }
    const std::optional<Type> catalogued = typeOfObjectFlags(q.objectFlags);
    q.type = catalogued ? *catalogued : typeRow.value_or(Type::Select);
    if (q.type == Type::Union && q.unionParts.size() < 2)
        throw Damage("a union without its two parts");
}

std::size_t fieldIndex(const std::vector<platform::Field>& fields, std::string_view name) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return i;
    throw DamagedTable("MSysQueries");
}

std::string text(const platform::Variant& v) {
    return v.kind() == platform::Variant::Kind::Text ? v.payload() : std::string();
}

std::optional<std::int64_t> integer(const platform::Variant& v) {
    if (v.kind() == platform::Variant::Kind::Integer) return v.asInteger();
    return std::nullopt;
}

} // namespace

const char* QueryTypeName(QueryDefinition::Type type) {
    switch (type) {
    case Type::Select:
        return "select";
    case Type::MakeTable:
        return "make-table";
    case Type::Append:
        return "append";
    case Type::Update:
        return "update";
    case Type::Delete:
        return "delete";
    case Type::Crosstab:
        return "crosstab";
    case Type::DataDefinition:
        return "data-definition";
    case Type::PassThrough:
        return "pass-through";
    case Type::Union:
        return "union";
    }
    return "select";
}

std::vector<QueryDefinition> ReadQueries(AccessDatabase& db) {
    std::vector<QueryDefinition> queries;
    std::map<std::uint32_t, std::size_t> byId;
    for (const CatalogEntry& e : db.Catalog()) {
        if (e.type != QueryObjectType) continue;
        QueryDefinition q;
        q.name = e.name;
        q.objectFlags = e.flags;
        q.hidden = (e.flags & HiddenFlag) != 0;
        q.recordSource = e.name.starts_with("~sq_");
        byId.emplace(e.page & IdBits, queries.size());
        queries.push_back(std::move(q));
    }
    if (queries.empty()) return queries;

    std::map<std::size_t, std::vector<Row>> rows;
    std::map<std::size_t, std::string> damaged;
    if (auto cursor = db.OpenSystemTable("MSysQueries")) {
        auto& f = cursor->fields();
        const std::size_t id = fieldIndex(f, "ObjectId"), attribute = fieldIndex(f, "Attribute"),
                          order = fieldIndex(f, "Order"), name1 = fieldIndex(f, "Name1"),
                          name2 = fieldIndex(f, "Name2"), expression = fieldIndex(f, "Expression"),
                          flag = fieldIndex(f, "Flag");
        std::size_t extra = f.size();
        for (std::size_t i = 0; i < f.size(); ++i)
            if (f[i].name == "LvExtra") extra = i;
        for (; !cursor->atEnd(); cursor->moveNext()) {
            const auto owner = integer(f[id].value);
            if (!owner) continue;
            const auto found = byId.find(static_cast<std::uint32_t>(*owner) & IdBits);
            // Rows of a query deleted from the catalogue are left behind at times.
            if (found == byId.end()) continue;
            Row r;
            const auto a = integer(f[attribute].value);
            const platform::Variant& o = f[order].value;
            if (!a || o.kind() != platform::Variant::Kind::Binary || o.payload().size() != 4) {
                damaged.emplace(found->second, "a row without its attribute or order");
                continue;
            }
            r.attribute = int(*a);
            // The counter is big-endian, so that the bytes sort as the numbers do.
            for (unsigned char c : o.payload()) r.order = (r.order << 8) | c;
            r.name1 = text(f[name1].value);
            r.name2 = text(f[name2].value);
            r.expression = text(f[expression].value);
            r.flag = integer(f[flag].value);
            if (extra < f.size()) r.extra = integer(f[extra].value);
            rows[found->second].push_back(std::move(r));
        }
    }

    for (std::size_t i = 0; i < queries.size(); ++i) {
        QueryDefinition& q = queries[i];
        std::vector<Row>& mine = rows[i];
        std::stable_sort(mine.begin(), mine.end(), [](const Row& a, const Row& b) {
            return std::tie(a.attribute, a.order) < std::tie(b.attribute, b.order);
        });
        std::string what = damaged.count(i) ? damaged[i] : std::string();
        if (what.empty() && mine.empty()) what = "no rows in MSysQueries";
        if (what.empty()) try {
                build(q, mine);
            } catch (const Damage& d) {
                what = d.what();
            }
        if (!what.empty()) {
            QueryDefinition broken;
            broken.name = q.name;
            broken.objectFlags = q.objectFlags;
            broken.hidden = q.hidden;
            broken.recordSource = q.recordSource;
            broken.damage =
                "The query '" + q.name + "' is damaged and cannot be read (" + what + ").";
            q = std::move(broken);
        }
    }
    std::stable_sort(queries.begin(), queries.end(),
                     [](const QueryDefinition& a, const QueryDefinition& b) {
                         return platform::LowerCase(a.name) < platform::LowerCase(b.name);
                     });
    return queries;
}

} // namespace tabulant::db
