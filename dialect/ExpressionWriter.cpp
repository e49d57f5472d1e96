#include "ExpressionWriter.h"

#include "FunctionTable.h"
#include "QueryParameters.h"
#include "Refusal.h"

#include <cstdlib>

namespace tabulant::dialect {

namespace {

using T = ValueType;

bool numeric(T t) { return t == T::Integer || t == T::Float || t == T::Exact; }

const RelationColumn* findColumn(const Relation& r, std::string_view name) {
    for (const RelationColumn& c : r.columns)
        if (SameName(c.name, name)) return &c;
    return nullptr;
}

std::string paren(const std::string& s) { return "(" + s + ")"; }

} // namespace

bool ExpressionWriter::IsAggregate(std::string_view name) {
    for (const char* a :
         {"sum", "avg", "count", "min", "max", "stdev", "stdevp", "var", "varp", "first", "last"})
        if (SameName(name, a)) return true;
    return false;
}

Written ExpressionWriter::value(const Expr& e, const Scope& scope) {
    switch (e.kind) {
    case Expr::Kind::Number: {
        const bool whole = e.text.find_first_of(".eE") == std::string::npos;
        if (whole && e.text.size() < 10) return {e.text, T::Integer};
        if (whole && std::strtod(e.text.c_str(), nullptr) <= 2147483647.0)
            return {e.text, T::Integer};
        // Access reads a number with a fraction, or past Long's range, as a Double.
        return {paren(e.text + "::float8"), T::Float};
    }
    case Expr::Kind::Text:
        return {TextLiteral(e.text), T::Text};
    case Expr::Kind::Date:
        return {DateLiteral(e.text), T::Date};
    case Expr::Kind::Null:
        return {"NULL", T::Null};
    case Expr::Kind::Boolean:
        return {e.flag ? "TRUE" : "FALSE", T::Boolean};
    case Expr::Kind::Name:
        return name(e, scope);
    case Expr::Kind::Star:
        throw Refusal("*", "not a value here");
    case Expr::Kind::Parameter:
        return parameter({e.text}, e);
    case Expr::Kind::Unary: {
        if (e.op == "not") return {paren("NOT " + condition(*e.children[0], scope)), T::Boolean};
        Written w = number(*e.children[0], scope);
        if (e.op == "+") return w;
        return {paren("-" + w.sql), w.type};
    }
    case Expr::Kind::Binary:
        return binary(e, scope);
    case Expr::Kind::Like:
        return like(e, scope);
    case Expr::Kind::Between: {
        Written v = value(*e.children[0], scope), lo = value(*e.children[1], scope),
                hi = value(*e.children[2], scope);
        // Both bounds compare as the operators do.
        const Written a = compare(">=", v, lo, e), b = compare("<=", v, hi, e);
        return {paren((e.flag ? "NOT (" : "(") + a.sql + " AND " + b.sql + ")"), T::Boolean};
    }
    case Expr::Kind::In: {
        Written v = value(*e.children[0], scope);
        if (e.children.size() == 2 && e.children[1]->kind == Expr::Kind::Subquery) {
            const Translation t = subquery_(*e.children[1]->select, scope);
            if (v.type == T::Text)
                throw Refusal("In (SELECT …)", "text compared with a subquery's values, whose "
                                               "letter case Access ignores");
            return {paren(v.sql + (e.flag ? " NOT IN (" : " IN (") + t.sql + ")"), T::Boolean};
        }
        std::string items;
        for (std::size_t i = 1; i < e.children.size(); ++i) {
            const Written c = compare("=", v, value(*e.children[i], scope), e);
            items += (items.empty() ? "" : " OR ") + c.sql;
        }
        return {paren((e.flag ? "NOT (" : "(") + items + ")"), T::Boolean};
    }
    case Expr::Kind::IsNull: {
        const Written v = value(*e.children[0], scope);
        return {paren(v.sql + (e.flag ? " IS NOT NULL" : " IS NULL")), T::Boolean};
    }
    case Expr::Kind::Call:
        return call(e, scope);
    case Expr::Kind::Subquery: {
        const Translation t = subquery_(*e.select, scope);
        if (t.columns.size() != 1) throw Refusal("(SELECT …)", "a subquery of several columns");
        return {paren(t.sql), t.columns[0].type};
    }
    case Expr::Kind::Exists: {
        const Translation t = subquery_(*e.select, scope);
        return {paren("EXISTS (" + t.sql + ")"), T::Boolean};
    }
    }
    throw Refusal(e.describe(), "unknown construct");
}

Written ExpressionWriter::name(const Expr& e, const Scope& scope) {
    const std::vector<std::string>& p = e.parts;
    if (p.size() >= 2 && (SameName(p[0], "forms") || SameName(p[0], "reports"))) {
        if (!parameters_)
            throw Refusal(e.describe(), "a form or report reference: the query needs a value "
                                        "when it runs");
        return parameter(p, e);
    }
    if (p.size() > 2) throw Refusal(e.describe(), "a name of more than two parts");
    for (const Scope* s = &scope; s; s = s->parent) {
        for (const Scope::Entry& entry : s->entries) {
            if (p.size() == 2 && !SameName(entry.qualifier, p[0])) continue;
            if (const RelationColumn* c = findColumn(*entry.relation, p.back())) {
                entry.used = true;
                return {entry.pgQualifier + "." + Quote(c->pgName), c->type, c->pgType};
            }
        }
        if (p.size() == 1 && s->outputs)
            for (const RelationColumn& c : *s->outputs)
                if (SameName(c.name, p[0])) return {Quote(c.pgName), c.type};
    }
    if (p.size() == 2) {
        for (const Scope* s = &scope; s; s = s->parent)
            for (const Scope::Entry& entry : s->entries)
                if (SameName(entry.qualifier, p[0]))
                    throw Refusal(e.describe(), "no such column in " + entry.qualifier);
        throw Refusal(e.describe(), "names no source of the query");
    }
    // No column of the sources: Access asks for the value when the query runs.
    if (!parameters_)
        throw Refusal(e.describe(), "no column of the query's sources: a parameter, the query "
                                    "needs a value when it runs");
    return parameter(p, e);
}

Written ExpressionWriter::parameter(const std::vector<std::string>& parts, const Expr& e) {
    if (!parameters_)
        throw Refusal(e.describe(), "a parameter: the query needs a value when it runs");
    return parameters_->Use(parts);
}

std::string ExpressionWriter::condition(const Expr& e, const Scope& scope) {
    return condition(value(e, scope), e);
}

std::string ExpressionWriter::condition(const Written& given, const Expr& where) {
    Written w = given;
    if (parameters_) parameters_->Infer(w, T::Boolean);
    switch (w.type) {
    case T::Boolean:
        return w.sql;
    case T::Null:
        return "NULL::boolean";
    case T::Integer:
    case T::Float:
    case T::Exact:
        return paren(w.sql + " <> 0");
    default:
        throw Refusal(where.describe(), "not a condition");
    }
}

Written ExpressionWriter::number(const Expr& e, const Scope& scope) {
    return number(value(e, scope), e);
}

Written ExpressionWriter::number(Written w, const Expr& where) {
    if (parameters_) parameters_->Infer(w, T::Float);
    if (w.type == T::Boolean) return {paren("-(" + w.sql + ")::integer"), T::Integer};
    if (numeric(w.type) || w.type == T::Null) return w;
    // Access reads a text as the number it spells, and fails on one that spells none; so does
    // the cast (a decimal comma of regional settings aside).
    if (w.type == T::Text) return {"(" + w.sql + ")::numeric", T::Exact};
    throw Refusal(where.describe(), "not a number");
}

Written ExpressionWriter::text(const Expr& e, const Scope& scope) {
    return text(value(e, scope), e);
}

Written ExpressionWriter::text(Written w, const Expr& where) {
    switch (w.type) {
    case T::Text:
    case T::Null:
        return w;
    case T::Integer:
        return {"(" + w.sql + ")::text", T::Text};
    case T::Exact:
    case T::Float:
        // Access writes at most 15 significant digits and no trailing zeros; so does a double
        // turned into numeric.
        return {"trim_scale((" + w.sql + ")::numeric)::text", T::Text};
    default:
        throw Refusal(where.describe(), "the text form of this value depends on Access's "
                                        "regional settings");
    }
}

Written ExpressionWriter::date(const Expr& e, const Scope& scope) {
    Written w = value(e, scope);
    if (parameters_) parameters_->Infer(w, T::Date);
    if (w.type == T::Date || w.type == T::Null) return w;
    throw Refusal(e.describe(), "not a date");
}

Written ExpressionWriter::compare(const std::string& op, Written l, Written r, const Expr& e) {
    // A value asked for when the query runs is read as the type it is compared with.
    if (parameters_) {
        parameters_->Infer(l, r.type);
        parameters_->Infer(r, l.type);
    }
    // Yes/No meets numbers as -1/0; order operators compare them as numbers too.
    const bool bothBoolean = l.type == T::Boolean && r.type == T::Boolean;
    if (!(bothBoolean && (op == "=" || op == "<>"))) {
        if (l.type == T::Boolean) l = number(l, e);
        if (r.type == T::Boolean) r = number(r, e);
    }
    // A number compared with a text compares with the number the text spells.
    if (numeric(l.type) && r.type == T::Text) r = number(r, e);
    if (numeric(r.type) && l.type == T::Text) l = number(l, e);
    if (l.type == T::Text && r.type == T::Text) {
        // Access compares text without regard to letter case.
        l.sql = "lower(" + l.sql + ")";
        r.sql = "lower(" + r.sql + ")";
    } else if (l.type != r.type && l.type != T::Null && r.type != T::Null &&
               !(numeric(l.type) && numeric(r.type)) && !bothBoolean) {
        throw Refusal(e.describe(), "compares values of different types");
    }
    return {paren(l.sql + " " + op + " " + r.sql), T::Boolean};
}

Written ExpressionWriter::binary(const Expr& e, const Scope& scope) {
    const std::string& op = e.op;
    const Expr& le = *e.children[0];
    const Expr& re = *e.children[1];
    if (op == "and" || op == "or" || op == "xor" || op == "eqv" || op == "imp") {
        Written l = value(le, scope), r = value(re, scope);
        for (const Written* w : {&l, &r})
            if (w->type != T::Boolean && w->type != T::Null)
                throw Refusal(e.op, "on numbers Access works bit by bit");
        if (op == "and") return {paren(l.sql + " AND " + r.sql), T::Boolean};
        if (op == "or") return {paren(l.sql + " OR " + r.sql), T::Boolean};
        if (op == "xor") return {paren(l.sql + " <> " + r.sql), T::Boolean};
        if (op == "eqv") return {paren(l.sql + " = " + r.sql), T::Boolean};
        return {paren("NOT " + l.sql + " OR " + r.sql), T::Boolean};
    }
    if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=")
        return compare(op, value(le, scope), value(re, scope), e);
    if (op == "&") {
        const Written l = text(le, scope), r = text(re, scope);
        // Null counts as an empty text unless both sides are Null.
        const auto constant = [](const Expr& x) {
            return x.kind == Expr::Kind::Text || x.kind == Expr::Kind::Number;
        };
        if (constant(le) || constant(re)) return {"concat(" + l.sql + ", " + r.sql + ")", T::Text};
        return {"(CASE WHEN num_nonnulls(" + l.sql + ", " + r.sql + ") = 0 THEN NULL ELSE concat(" +
                    l.sql + ", " + r.sql + ") END)",
                T::Text};
    }
    Written l = value(le, scope), r = value(re, scope);
    if (op == "+" && (l.type == T::Text || r.type == T::Text)) {
        // Text joined with +: Null when either side is Null.
        if ((l.type == T::Text || l.type == T::Null) && (r.type == T::Text || r.type == T::Null))
            return {paren(l.sql + " || " + r.sql), T::Text};
        throw Refusal("+", "text added to a number");
    }
    if ((op == "+" || op == "-") && (l.type == T::Date || r.type == T::Date)) {
        if (op == "-" && l.type == T::Date && r.type == T::Date)
            return {paren("extract(epoch from " + l.sql + " - " + r.sql + ")::float8 / 86400"),
                    T::Float};
        const Written& d = l.type == T::Date ? l : r;
        const Written n = number(l.type == T::Date ? r : l, e);
        if (op == "-" && r.type == T::Date) throw Refusal("-", "a date taken from a number");
        return {paren(d.sql + " " + op + " " + n.sql + " * interval '1 day'"), T::Date};
    }
    l = number(l, le);
    r = number(r, re);
    const T both = Unify(l.type, r.type, op);
    if (op == "^") return {"power((" + l.sql + ")::float8, (" + r.sql + ")::float8)", T::Float};
    if (op == "/") {
        if (both == T::Exact && (l.type == T::Exact) && (r.type == T::Exact))
            return {paren(l.sql + " / " + r.sql), T::Exact};
        return {paren(paren(l.sql) + "::float8 / " + r.sql), T::Float};
    }
    if (op == "\\" || op == "mod") {
        // Both sides are rounded to whole numbers (half to even) first.
        auto whole = [](const Written& w) {
            return w.type == T::Integer ? w.sql : "round((" + w.sql + ")::float8)::bigint";
        };
        const std::string sign = op == "mod" ? " % " : " / ";
        return {paren(whole(l) + sign + whole(r)), T::Integer};
    }
    if (both == T::Null) return {paren(l.sql + " " + op + " " + r.sql), T::Null};
    return {paren(l.sql + " " + op + " " + r.sql), both};
}

Written ExpressionWriter::like(const Expr& e, const Scope& scope) {
    const Written v = value(*e.children[0], scope);
    if (v.type != T::Text && v.type != T::Null) throw Refusal("Like", "Like on a value not text");
    const Expr& p = *e.children[1];
    if (p.kind != Expr::Kind::Text) throw Refusal("Like", "a pattern made when the query runs");
    bool regex = false;
    const std::string pattern = LikePattern(p.text, regex);
    const std::string op =
        regex ? (e.flag ? " !~* " : " ~* ") : (e.flag ? " NOT ILIKE " : " ILIKE ");
    return {paren(v.sql + op + TextLiteral(pattern)), T::Boolean};
}

Written ExpressionWriter::call(const Expr& e, const Scope& scope) {
    const Function* f = FindFunction(e.text);
    if (!f)
        throw Refusal(e.text + "()", "not a function of Access's expression service (VBA code or "
                                     "an add-in)");
    if (int(e.children.size()) < f->minArguments || int(e.children.size()) > f->maxArguments)
        throw Refusal(e.text + "()", "takes " + std::to_string(f->minArguments) + " to " +
                                         std::to_string(f->maxArguments) + " arguments");
    return f->write(*this, e, scope);
}

} // namespace tabulant::dialect
