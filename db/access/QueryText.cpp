#include "QueryText.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <memory>

namespace tabulant::db {

namespace {

using Q = QueryDefinition;

bool bare(const std::string& name) {
    if (name.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
               (c >= 'A' && c <= 'Z');
    });
}

// A name as Access writes it: bracketed unless it is a plain word.
std::string name(const std::string& n) { return bare(n) ? n : "[" + n + "]"; }

// A name of several parts (Forms!F!C, Table.Column), each bracketed as it needs; one stored
// with its brackets stays as it is.
std::string partsName(const std::string& n, char separator) {
    if (n.find('[') != std::string::npos) return n;
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = n.find(separator); at != std::string::npos;
         start = at + 1, at = n.find(separator, start))
        out += name(n.substr(start, at - start)) + separator;
    return out + name(n.substr(start));
}

std::string trimmedStatement(std::string text) {
    while (!text.empty() && (text.back() == ';' || text.back() == ' ' || text.back() == '\r' ||
                             text.back() == '\n' || text.back() == '\t'))
        text.pop_back();
    return text;
}

const char* parameterType(int code) {
    switch (code) {
    case 1:
        return "Bit";
    case 2:
        return "Byte";
    case 3:
        return "Short";
    case 4:
        return "Long";
    case 5:
        return "Currency";
    case 6:
        return "IEEESingle";
    case 7:
        return "IEEEDouble";
    case 8:
        return "DateTime";
    case 9:
        return "Binary";
    case 10:
        return "Text";
    case 11:
        return "LongBinary";
    case 15:
        return "Guid";
    default:
        return "Value";
    }
}

// One operand of FROM: a source, or a join of two operands with its conditions.
struct FromItem {
    std::string text;               // a source
    std::vector<std::string> names; // lower-case alias-or-name of every source inside
    std::unique_ptr<FromItem> left, right;
    int kind = 0;
    std::vector<std::string> conditions;

    bool holds(const std::string& n) const {
        return std::find(names.begin(), names.end(), platform::LowerCase(n)) != names.end();
    }
    std::string render(bool nested) const {
        if (!left) return text;
        static const char* const kinds[] = {"", " INNER JOIN ", " LEFT JOIN ", " RIGHT JOIN "};
        std::string s = left->render(true) + kinds[kind] + right->render(true) + " ON ";
        for (std::size_t i = 0; i < conditions.size(); ++i) s += (i ? " AND " : "") + conditions[i];
        return nested ? "(" + s + ")" : s;
    }
};

std::string sourceText(const Q::Source& s) {
    std::string t = s.derived.empty() ? name(s.name) : "(" + trimmedStatement(s.derived) + ")";
    if (!s.alias.empty()) t += " AS " + name(s.alias);
    return t;
}

std::string fromClause(const Q& q, std::string& extraWhere) {
    std::vector<std::unique_ptr<FromItem>> items;
    for (const Q::Source& s : q.sources) {
        auto item = std::make_unique<FromItem>();
        item->text = sourceText(s);
        item->names.push_back(platform::LowerCase(s.alias.empty() ? s.name : s.alias));
        items.push_back(std::move(item));
    }
    auto find = [&](const std::string& n) {
        return std::find_if(items.begin(), items.end(), [&](auto& i) { return i->holds(n); });
    };
    for (const Q::Join& j : q.joins) {
        auto l = find(j.left), r = find(j.right);
        // A join of names the query lacks keeps its condition, as a filter.
        if (l == items.end() || r == items.end() || (l == r && !(*l)->left)) {
            extraWhere = extraWhere.empty() ? j.condition : extraWhere + " AND " + j.condition;
            continue;
        }
        if (l == r) {
            (*l)->conditions.push_back(j.condition);
            continue;
        }
        auto joined = std::make_unique<FromItem>();
        joined->kind = j.kind;
        joined->conditions.push_back(j.condition);
        joined->names = (*l)->names;
        joined->names.insert(joined->names.end(), (*r)->names.begin(), (*r)->names.end());
        joined->left = std::move(*l);
        joined->right = std::move(*r);
        const auto first = std::min(l, r);
        *first = std::move(joined);
        items.erase(std::max(l, r));
    }
    // Sources left unjoined come first, as Access lists them.
    std::stable_partition(items.begin(), items.end(), [](auto& i) { return !i->left; });
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) s += (i ? ", " : "") + items[i]->render(false);
    if (!q.externalDatabase.empty()) {
        s += " IN '" + q.externalDatabase + "'";
        if (!q.externalType.empty()) s += " [" + q.externalType + "]";
    }
    return s;
}

std::string columnText(const Q::Column& c) {
    return c.alias.empty() ? c.expression : c.expression + " AS " + name(c.alias);
}

std::string columnList(const Q& q, int flag, bool all) {
    std::string s;
    for (const Q::Column& c : q.columns)
        if (all || c.flag == flag) s += (s.empty() ? "" : ", ") + columnText(c);
    if (q.options & Q::AllFields) s += s.empty() ? "*" : ", *";
    return s;
}

std::string selectHead(const Q& q) {
    std::string s = "SELECT ";
    if (q.options & Q::DistinctRow)
        s += "DISTINCTROW ";
    else if (q.options & Q::Distinct)
        s += "DISTINCT ";
    if ((q.options & Q::Top) && !q.top.empty()) {
        s += "TOP " + q.top + " ";
        if (q.options & Q::Percent) s += "PERCENT ";
    }
    return s;
}

std::string tail(const Q& q) {
    std::string extraWhere;
    std::string s;
    if (!q.sources.empty()) s += " FROM " + fromClause(q, extraWhere);
    std::string where = q.where;
    if (!extraWhere.empty()) where = where.empty() ? extraWhere : where + " AND " + extraWhere;
    if (!where.empty()) s += " WHERE " + where;
    std::string groups;
    for (const Q::Grouping& g : q.groupBy)
        if (!(q.type == Q::Type::Crosstab && g.flag == 1))
            groups += (groups.empty() ? "" : ", ") + g.expression;
    if (!groups.empty()) s += " GROUP BY " + groups;
    if (!q.having.empty()) s += " HAVING " + q.having;
    return s;
}

std::string orderClause(const Q& q) {
    std::string s;
    for (const Q::Ordering& o : q.orderBy)
        s += (s.empty() ? " ORDER BY " : ", ") + o.expression + (o.descending ? " DESC" : "");
    return s;
}

std::string target(const Q& q) {
    std::string s = name(q.target);
    if (!q.targetDatabase.empty()) s += " IN '" + q.targetDatabase + "'";
    return s;
}

std::string body(const Q& q) {
    switch (q.type) {
    case Q::Type::DataDefinition:
    case Q::Type::PassThrough:
        return trimmedStatement(q.statement);
    case Q::Type::Union: {
        std::string s = trimmedStatement(q.unionParts[0]);
        const char* glue = (q.options & Q::Distinct) ? " UNION " : " UNION ALL ";
        for (std::size_t i = 1; i < q.unionParts.size(); ++i)
            s += glue + trimmedStatement(q.unionParts[i]);
        return s + orderClause(q);
    }
    case Q::Type::Crosstab: {
        std::string s = "TRANSFORM " + columnList(q, 0, false) + " " + selectHead(q);
        std::string rows;
        for (const Q::Column& c : q.columns)
            if (c.flag == 2) rows += (rows.empty() ? "" : ", ") + columnText(c);
        s += rows + tail(q) + orderClause(q);
        for (const Q::Column& c : q.columns)
            if (c.flag == 1) s += " PIVOT " + c.expression;
        return s;
    }
    case Q::Type::MakeTable:
        return selectHead(q) + columnList(q, 0, true) + " INTO " + target(q) + tail(q) +
               orderClause(q);
    case Q::Type::Append: {
        std::string s = "INSERT INTO " + target(q);
        std::string targets;
        bool values = false;
        for (const Q::Column& c : q.columns) {
            if (!c.target.empty()) targets += (targets.empty() ? "" : ", ") + name(c.target);
            values = values || c.flag == -32768 || c.flag == 0x8000;
        }
        if (!targets.empty()) s += " (" + targets + ")";
        if (values) {
            std::string items;
            for (const Q::Column& c : q.columns)
                items += (items.empty() ? "" : ", ") + c.expression;
            return s + " VALUES (" + items + ")";
        }
        std::string columns;
        for (const Q::Column& c : q.columns)
            columns += (columns.empty() ? "" : ", ") + c.expression;
        if (q.options & Q::AllFields) columns += columns.empty() ? "*" : ", *";
        return s + " " + selectHead(q) + columns + tail(q) + orderClause(q);
    }
    case Q::Type::Update: {
        std::string extraWhere;
        std::string s = "UPDATE " + fromClause(q, extraWhere) + " SET ";
        std::string sets;
        for (const Q::Column& c : q.columns)
            sets += (sets.empty() ? "" : ", ") + partsName(c.target, '.') + " = " + c.expression;
        s += sets;
        std::string where = q.where;
        if (!extraWhere.empty()) where = where.empty() ? extraWhere : where + " AND " + extraWhere;
        if (!where.empty()) s += " WHERE " + where;
        return s;
    }
    case Q::Type::Delete:
        return "DELETE " + columnList(q, 0, true) + tail(q);
    case Q::Type::Select:
        break;
    }
    return selectHead(q) + columnList(q, 0, true) + tail(q) + orderClause(q);
}

} // namespace

std::string AccessSqlText(const QueryDefinition& q) {
    if (!q.damage.empty()) return {};
    std::string s;
    if (!q.parameters.empty() && q.type != Q::Type::DataDefinition &&
        q.type != Q::Type::PassThrough) {
        s = "PARAMETERS ";
        for (std::size_t i = 0; i < q.parameters.size(); ++i) {
            const Q::Parameter& p = q.parameters[i];
            s += (i ? ", " : "") + partsName(p.name, '!') + " " + parameterType(p.type);
            if (p.textSize) s += "(" + std::to_string(*p.textSize) + ")";
        }
        s += "; ";
    }
    s += body(q);
    if (q.options & Q::OwnerAccess) s += " WITH OWNERACCESS OPTION";
    return s + ";";
}

} // namespace tabulant::db
