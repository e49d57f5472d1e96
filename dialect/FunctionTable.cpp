#include "FunctionTable.h"

#include "Refusal.h"
#include "ValueFunctions.h"

#include <array>

namespace tabulant::dialect {

namespace {

using T = ValueType;
using W = ExpressionWriter;

const Expr& arg(const Expr& call, std::size_t i) { return *call.children[i]; }

// The text of a constant argument (DatePart's interval, Format's pattern).
std::string constant(const Expr& call, std::size_t i) {
    const Expr& a = arg(call, i);
    if (a.kind != Expr::Kind::Text)
        throw Refusal(call.text + "()", "an argument that is not a constant text");
    std::string s;
    for (char c : a.text) s += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
}

int constantNumber(const Expr& call, std::size_t i) {
    const Expr& a = arg(call, i);
    if (a.kind != Expr::Kind::Number || a.text.find('.') != std::string::npos || a.text.size() > 3)
        throw Refusal(call.text + "()", "an argument that is not a constant whole number");
    return std::stoi(a.text);
}

// Sunday as the first day of the week and the week of January 1 as the first week are what
// Access uses unless told otherwise (0 is "the system's", Sunday on the machines it ships to).
void sundayWeeks(const Expr& call, std::size_t firstDay) {
    if (call.children.size() > firstDay) {
        const int d = constantNumber(call, firstDay);
        if (d != 0 && d != 1)
            throw Refusal(call.text + "()", "a week that does not start on Sunday");
    }
    if (call.children.size() > firstDay + 1) {
        const int w = constantNumber(call, firstDay + 1);
        if (w != 0 && w != 1)
            throw Refusal(call.text + "()", "a first week other than January 1's");
    }
}

Written unary(W& w, const Expr& c, const Scope& s, const char* pg, T result) {
    return {std::string(pg) + "(" + w.number(arg(c, 0), s).sql + ")", result};
}
Written sameType(W& w, const Expr& c, const Scope& s, const char* pg) {
    const Written a = w.number(arg(c, 0), s);
    return {std::string(pg) + "(" + a.sql + ")", a.type};
}
Written textUnary(W& w, const Expr& c, const Scope& s, const char* pg) {
    return {std::string(pg) + "(" + w.text(arg(c, 0), s).sql + ")", T::Text};
}
Written extract(W& w, const Expr& c, const Scope& s, const char* field) {
    return {"extract(" + std::string(field) + " from " + w.date(arg(c, 0), s).sql + ")::integer",
            T::Integer};
}

// DatePart's and DateAdd's interval names.
std::string datePart(const std::string& interval, const std::string& d, const Expr& call) {
    if (interval == "yyyy") return "extract(year from " + d + ")::integer";
    if (interval == "q") return "extract(quarter from " + d + ")::integer";
    if (interval == "m") return "extract(month from " + d + ")::integer";
    if (interval == "y") return "extract(doy from " + d + ")::integer";
    if (interval == "d") return "extract(day from " + d + ")::integer";
    if (interval == "w") return "(extract(dow from " + d + ")::integer + 1)";
    if (interval == "ww")
        return "((extract(doy from " + d + ")::integer + extract(dow from date_trunc('year', " + d +
               "))::integer - 1) / 7 + 1)";
    if (interval == "h") return "extract(hour from " + d + ")::integer";
    if (interval == "n") return "extract(minute from " + d + ")::integer";
    if (interval == "s") return "extract(second from " + d + ")::integer";
    throw Refusal(call.text + "()", "unknown interval \"" + interval + "\"");
}

std::string intervalUnit(const std::string& interval, const Expr& call) {
    if (interval == "yyyy") return "1 year";
    if (interval == "q") return "3 months";
    if (interval == "m") return "1 month";
    if (interval == "y" || interval == "d" || interval == "w") return "1 day";
    if (interval == "ww") return "7 days";
    if (interval == "h") return "1 hour";
    if (interval == "n") return "1 minute";
    if (interval == "s") return "1 second";
    throw Refusal(call.text + "()", "unknown interval \"" + interval + "\"");
}

Written dateDiff(W& w, const Expr& c, const Scope& s) {
    const std::string i = constant(c, 0);
    const std::string a = w.date(arg(c, 1), s).sql, b = w.date(arg(c, 2), s).sql;
    sundayWeeks(c, 3);
    auto delta = [&](const char* field) {
        return "(extract(" + std::string(field) + " from " + b + ") - extract(" + field + " from " +
               a + "))::integer";
    };
    // Access counts the boundaries crossed, not whole periods.
    if (i == "yyyy") return {delta("year"), T::Integer};
    if (i == "q") return {"(4 * " + delta("year") + " + " + delta("quarter") + ")", T::Integer};
    if (i == "m") return {"(12 * " + delta("year") + " + " + delta("month") + ")", T::Integer};
    if (i == "d" || i == "y") return {"((" + b + ")::date - (" + a + ")::date)", T::Integer};
    if (i == "w") return {"(((" + b + ")::date - (" + a + ")::date) / 7)", T::Integer};
    if (i == "ww")
        return {"((((" + b + ")::date - extract(dow from " + b + ")::integer) - ((" + a +
                    ")::date - extract(dow from " + a + ")::integer)) / 7)",
                T::Integer};
    const char* unit = i == "h" ? "hour" : i == "n" ? "minute" : i == "s" ? "second" : nullptr;
    if (!unit) throw Refusal(c.text + "()", "unknown interval \"" + i + "\"");
    const int seconds = i == "h" ? 3600 : i == "n" ? 60 : 1;
    return {"(extract(epoch from date_trunc('" + std::string(unit) + "', " + b +
                ") - date_trunc('" + unit + "', " + a + "))::bigint / " + std::to_string(seconds) +
                ")",
            T::Integer};
}

bool isCurrency(const std::string& pgType) {
    std::string t = pgType;
    for (char& ch : t)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
    return t == "numeric(19,4)";
}

Written round(W& w, const Expr& c, const Scope& s) {
    const Written x = w.number(arg(c, 0), s);
    const int digits = c.children.size() > 1 ? constantNumber(c, 1) : 0;
    if (x.type == T::Integer) return x;
    const std::string r = RoundHalfEven(x.sql, digits);
    // Round gives a value of its argument's type: Currency stays Currency, four decimals.
    if (isCurrency(x.pgType)) return {r + "::numeric(19,4)", x.type, x.pgType};
    return {x.type == T::Float ? "(" + r + ")::float8" : r, x.type};
}

// Whole-number conversions round half to even, as rint does on a double.
Written wholeNumber(W& w, const Expr& c, const Scope& s, const char* type) {
    const Written x = w.number(arg(c, 0), s);
    return {"round((" + x.sql + ")::float8)::" + type, T::Integer};
}

Written format(W& w, const Expr& c, const Scope& s) {
    const Written d = w.date(arg(c, 0), s);
    const std::string pattern = constant(c, 1);
    static const std::array<std::pair<const char*, const char*>, 9> codes = {{{"yyyy", "YYYY"},
                                                                              {"yy", "YY"},
                                                                              {"mm", "MM"},
                                                                              {"dd", "DD"},
                                                                              {"hh", "HH24"},
                                                                              {"nn", "MI"},
                                                                              {"ss", "SS"},
                                                                              {"q", "Q"},
                                                                              {"m", "FMMM"}}};
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        bool matched = false;
        for (const auto& [access, pg] : codes) {
            const std::string_view a(access);
            if (pattern.compare(i, a.size(), a) == 0) {
                out += pg;
                i += a.size();
                matched = true;
                break;
            }
        }
        if (matched) continue;
        const char ch = pattern[i];
        if (ch != '-' && ch != '/' && ch != ' ' && ch != ':' && ch != '.')
            throw Refusal("Format()", "a format Access would show by regional settings or "
                                      "named formats");
        out += ch;
        ++i;
    }
    return {"to_char(" + d.sql + ", " + TextLiteral(out) + ")", T::Text};
}

Written iif(W& w, const Expr& c, const Scope& s) {
    const std::string cond = w.condition(arg(c, 0), s);
    const Written a = w.value(arg(c, 1), s), b = w.value(arg(c, 2), s);
    const T type = Unify(a.type, b.type, "IIf()");
    // A condition that is Null takes the second value.
    return {"(CASE WHEN " + cond + " THEN " + a.sql + " ELSE " + b.sql + " END)", type};
}

Written nz(W& w, const Expr& c, const Scope& s) {
    const Written a = w.value(arg(c, 0), s);
    if (c.children.size() == 1) {
        if (a.type != T::Text) throw Refusal("Nz()", "Nz without a value for Null on a non-text");
        return {"COALESCE(" + a.sql + ", '')", T::Text};
    }
    const Written b = w.value(arg(c, 1), s);
    return {"COALESCE(" + a.sql + ", " + b.sql + ")", Unify(a.type, b.type, "Nz()")};
}

Written choose(W& w, const Expr& c, const Scope& s) {
    const Written i = w.number(arg(c, 0), s);
    std::string out = "(CASE round((" + i.sql + ")::float8)::integer";
    T type = T::Null;
    for (std::size_t k = 1; k < c.children.size(); ++k) {
        const Written v = w.value(arg(c, k), s);
        type = Unify(type, v.type, "Choose()");
        out += " WHEN " + std::to_string(k) + " THEN " + v.sql;
    }
    return {out + " END)", type};
}

Written switchOf(W& w, const Expr& c, const Scope& s) {
    if (c.children.size() % 2 != 0) throw Refusal("Switch()", "an odd number of arguments");
    std::string out = "(CASE";
    T type = T::Null;
    for (std::size_t k = 0; k < c.children.size(); k += 2) {
        const Written v = w.value(arg(c, k + 1), s);
        type = Unify(type, v.type, "Switch()");
        out += " WHEN " + w.condition(arg(c, k), s) + " THEN " + v.sql;
    }
    return {out + " END)", type};
}

// An aggregate call, with the crosstab heading's filter when one is being written.
std::string over(const W& w, const std::string& call) { return call + w.aggregateFilter(); }

Written aggregate(W& w, const Expr& c, const Scope& s, const char* pg) {
    if (arg(c, 0).kind == Expr::Kind::Star) return {over(w, "count(*)"), T::Integer};
    const Written x = w.number(arg(c, 0), s);
    return {over(w, std::string(pg) + "(" + x.sql + ")"),
            x.type == T::Integer ? T::Integer : x.type};
}

Written minMax(W& w, const Expr& c, const Scope& s, const char* pg) {
    Written x = w.value(arg(c, 0), s);
    if (x.type == T::Boolean) x = w.number(x, arg(c, 0));
    return {over(w, std::string(pg) + "(" + x.sql + ")"), x.type};
}

Written floatAggregate(W& w, const Expr& c, const Scope& s, const char* pg) {
    return {over(w, std::string(pg) + "((" + w.number(arg(c, 0), s).sql + ")::float8)"), T::Float};
}

// First and Last take the value of the first or last record of the group as the records are
// read, Null included; Access documents that order as arbitrary unless the records come sorted.
Written firstLast(W& w, const Expr& c, const Scope& s, bool last) {
    const Written x = w.value(arg(c, 0), s);
    const std::string all = "(" + over(w, "array_agg(" + x.sql + ")") + ")";
    return {all + "[" + (last ? "array_length(" + all + ", 1)" : std::string("1")) + "]", x.type,
            x.pgType};
}

Written refuse(W&, const Expr& c, const Scope&) {
    throw Refusal(c.text + "()", "no PostgreSQL form gives Access's result");
}

const Function Functions[] = {
    {"Abs", 1, 1, [](W& w, const Expr& c, const Scope& s) { return sameType(w, c, s, "abs"); }},
    {"Sgn", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return unary(w, c, s, "sign", T::Integer); }},
    {"Int", 1, 1, [](W& w, const Expr& c, const Scope& s) { return sameType(w, c, s, "floor"); }},
    {"Fix", 1, 1, [](W& w, const Expr& c, const Scope& s) { return sameType(w, c, s, "trunc"); }},
    {"Sqr", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return unary(w, c, s, "sqrt", T::Float); }},
    {"Exp", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return unary(w, c, s, "exp", T::Float); }},
    {"Log", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return unary(w, c, s, "ln", T::Float); }},
    {"Round", 1, 2, round},
    {"CInt", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return wholeNumber(w, c, s, "smallint"); }},
    {"CLng", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return wholeNumber(w, c, s, "integer"); }},
    {"CByte", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return wholeNumber(w, c, s, "smallint"); }},
    {"CDbl", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"(" + w.number(arg(c, 0), s).sql + ")::float8", T::Float};
     }},
    {"CSng", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"(" + w.number(arg(c, 0), s).sql + ")::float4::float8", T::Float};
     }},
    {"CDec", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"(" + w.number(arg(c, 0), s).sql + ")::numeric", T::Exact};
     }},
    // Currency keeps four decimals, rounded half to even.
    {"CCur", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{RoundHalfEven(w.number(arg(c, 0), s).sql, 4) + "::numeric(19,4)",
                        T::Exact, "numeric(19,4)"};
     }},
    {"CBool", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{w.condition(arg(c, 0), s), T::Boolean};
     }},
    {"CStr", 1, 1, [](W& w, const Expr& c, const Scope& s) { return w.text(arg(c, 0), s); }},
    {"IIf", 3, 3, iif},
    {"Nz", 1, 2, nz},
    {"IsNull", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"(" + w.value(arg(c, 0), s).sql + " IS NULL)", T::Boolean};
     }},
    {"Choose", 2, 30, choose},
    {"Switch", 2, 30, switchOf},
    {"LCase", 1, 1, [](W& w, const Expr& c, const Scope& s) { return textUnary(w, c, s, "lower"); }},
    {"UCase", 1, 1, [](W& w, const Expr& c, const Scope& s) { return textUnary(w, c, s, "upper"); }},
    {"Len", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"char_length(" + w.text(arg(c, 0), s).sql + ")", T::Integer};
     }},
    {"Trim", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"btrim(" + w.text(arg(c, 0), s).sql + ", ' ')", T::Text};
     }},
    {"LTrim", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"ltrim(" + w.text(arg(c, 0), s).sql + ", ' ')", T::Text};
     }},
    {"RTrim", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"rtrim(" + w.text(arg(c, 0), s).sql + ", ' ')", T::Text};
     }},
    {"Left", 2, 2,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"left(" + w.text(arg(c, 0), s).sql + ", " + w.number(arg(c, 1), s).sql + ")",
                        T::Text};
     }},
    {"Right", 2, 2,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"right(" + w.text(arg(c, 0), s).sql + ", " + w.number(arg(c, 1), s).sql +
                            ")",
                        T::Text};
     }},
    {"Mid", 2, 3,
     [](W& w, const Expr& c, const Scope& s) {
         std::string out = "substr(" + w.text(arg(c, 0), s).sql + ", " + w.number(arg(c, 1), s).sql;
         if (c.children.size() == 3) out += ", " + w.number(arg(c, 2), s).sql;
         return Written{out + ")", T::Text};
     }},
    {"Space", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"repeat(' ', " + w.number(arg(c, 0), s).sql + ")", T::Text};
     }},
    // InStr compares as the query does: without regard to letter case.
    {"InStr", 2, 2,
     [](W& w, const Expr& c, const Scope& s) {
         return Written{"strpos(lower(" + w.text(arg(c, 0), s).sql + "), lower(" +
                            w.text(arg(c, 1), s).sql + "))",
                        T::Integer};
     }},
    {"Year", 1, 1, [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "year"); }},
    {"Month", 1, 1, [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "month"); }},
    {"Day", 1, 1, [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "day"); }},
    {"Hour", 1, 1, [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "hour"); }},
    {"Minute", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "minute"); }},
    {"Second", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return extract(w, c, s, "second"); }},
    {"Weekday", 1, 2,
     [](W& w, const Expr& c, const Scope& s) {
         sundayWeeks(c, 1);
         return Written{"(extract(dow from " + w.date(arg(c, 0), s).sql + ")::integer + 1)",
                        T::Integer};
     }},
    {"DatePart", 2, 4,
     [](W& w, const Expr& c, const Scope& s) {
         sundayWeeks(c, 2);
         return Written{datePart(constant(c, 0), w.date(arg(c, 1), s).sql, c), T::Integer};
     }},
    {"DateAdd", 3, 3,
     [](W& w, const Expr& c, const Scope& s) {
         const std::string unit = intervalUnit(constant(c, 0), c);
         return Written{"(" + w.date(arg(c, 2), s).sql + " + round((" + w.number(arg(c, 1), s).sql +
                            ")::float8) * interval '" + unit + "')",
                        T::Date};
     }},
    {"DateDiff", 3, 5, dateDiff},
    {"Date", 0, 0,
     [](W&, const Expr&, const Scope&) { return Written{"CURRENT_DATE::timestamp", T::Date}; }},
    {"Now", 0, 0,
     [](W&, const Expr&, const Scope&) { return Written{"LOCALTIMESTAMP(0)", T::Date}; }},
    {"Time", 0, 0,
     [](W&, const Expr&, const Scope&) {
         return Written{"(TIMESTAMP '1899-12-30 00:00:00' + LOCALTIME(0))", T::Date};
     }},
    {"Format", 2, 2, format},
    {"Sum", 1, 1, [](W& w, const Expr& c, const Scope& s) { return aggregate(w, c, s, "sum"); }},
    {"Avg", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         const Written x = w.number(arg(c, 0), s);
         // Access averages Currency as Currency and everything else as a Double.
         if (x.type == T::Exact) return Written{over(w, "avg(" + x.sql + ")"), T::Exact};
         return Written{over(w, "avg((" + x.sql + ")::float8)"), T::Float};
     }},
    {"Count", 1, 1,
     [](W& w, const Expr& c, const Scope& s) {
         if (arg(c, 0).kind == Expr::Kind::Star) return Written{over(w, "count(*)"), T::Integer};
         return Written{over(w, "count(" + w.value(arg(c, 0), s).sql + ")"), T::Integer};
     }},
    {"Min", 1, 1, [](W& w, const Expr& c, const Scope& s) { return minMax(w, c, s, "min"); }},
    {"Max", 1, 1, [](W& w, const Expr& c, const Scope& s) { return minMax(w, c, s, "max"); }},
    {"StDev", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return floatAggregate(w, c, s, "stddev_samp"); }},
    {"StDevP", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return floatAggregate(w, c, s, "stddev_pop"); }},
    {"Var", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return floatAggregate(w, c, s, "var_samp"); }},
    {"VarP", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return floatAggregate(w, c, s, "var_pop"); }},
    {"First", 1, 1,
     [](W& w, const Expr& c, const Scope& s) { return firstLast(w, c, s, false); }},
    {"Last", 1, 1, [](W& w, const Expr& c, const Scope& s) { return firstLast(w, c, s, true); }},
    {"Val", 1, 1, WriteVal},
    {"CDate", 1, 1, WriteCDate},
    {"Replace", 3, 6, WriteReplace},
    // Known to Access, but without a PostgreSQL form that gives its result.
    {"DLookup", 2, 3, refuse},
    {"DSum", 2, 3, refuse},
    {"DCount", 2, 3, refuse},
    {"DAvg", 2, 3, refuse},
    {"DMin", 2, 3, refuse},
    {"DMax", 2, 3, refuse},
    {"DFirst", 2, 3, refuse},
    {"DLast", 2, 3, refuse},
    {"Eval", 1, 1, refuse},
    {"CurrentUser", 0, 0, refuse},
};

} // namespace

const Function* FindFunction(std::string_view name) {
    for (const Function& f : Functions)
        if (f.write && SameName(f.name, name)) return &f;
    return nullptr;
}

} // namespace tabulant::dialect
