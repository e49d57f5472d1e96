#include "ValueFunctions.h"

#include "Refusal.h"

namespace tabulant::dialect {

namespace {

using T = ValueType;

const Expr& arg(const Expr& call, std::size_t i) { return *call.children[i]; }

// A whole-number constant argument, or `fallback` when it is left out.
int constantNumber(const Expr& call, std::size_t i, int fallback) {
    if (call.children.size() <= i) return fallback;
    const Expr* a = &arg(call, i);
    bool negative = false;
    if (a->kind == Expr::Kind::Unary && a->op == "-") {
        negative = true;
        a = a->children[0].get();
    }
    if (a->kind != Expr::Kind::Number ||
        a->text.find_first_not_of("0123456789") != std::string::npos || a->text.size() > 6)
        throw Refusal(call.text + "()", "an argument that is not a constant whole number");
    return negative ? -std::stoi(a->text) : std::stoi(a->text);
}

} // namespace

// Val reads the number at the start of a text after taking out blanks, tabs and line feeds; a
// period is the only decimal sign; &H and &O start hexadecimal and octal numbers; 0 when no
// number starts the text. Beyond Long's range the &-forms are an error in Access: Null here.
Written WriteVal(ExpressionWriter& w, const Expr& c, const Scope& s) {
    const Written x = w.text(arg(c, 0), s);
    // Step by step below one another: the text without blanks; the digits after &H or &O, their
    // base and how many of them still make an Integer or a Long; their value.
    const std::string text = "SELECT regexp_replace(" + x.sql + ", E'[ \\t\\n]', '', 'g') AS v";
    const std::string radix =
        "SELECT v, COALESCE(substring(v from '^&[hH]([0-9A-Fa-f]*)'), substring(v from "
        "'^&[oO]([0-7]*)')) AS d, CASE WHEN v ~* '^&h' THEN 16 ELSE 8 END AS b, CASE WHEN v ~* "
        "'^&h' THEN 4 ELSE 6 END AS short, CASE WHEN v ~* '^&h' THEN 8 ELSE 11 END AS long FROM "
        "(" +
        text + ") AS \"~text\"";
    const std::string value =
        "SELECT v, d, short, long, (SELECT COALESCE(sum((strpos('0123456789abcdef', "
        "lower(substr(d, i, 1))) - 1) * b::numeric ^ (length(d) - i)), 0) FROM "
        "generate_series(1, length(d)) AS i) AS n FROM (" +
        radix + ") AS \"~radix\"";
    const std::string sql =
        "(SELECT CASE WHEN d IS NULL THEN COALESCE(translate(substring(v from "
        "'^[+-]?(?:[0-9]+[.]?[0-9]*|[.][0-9]+)(?:[eEdD][+-]?[0-9]+)?'), 'dD', 'ee')::float8, 0) "
        "WHEN n < 65536 AND length(d) <= short THEN (n - CASE WHEN n >= 32768 THEN 65536 ELSE 0 "
        "END)::float8 WHEN n < 4294967296 AND length(d) <= long THEN (n - CASE WHEN n >= "
        "2147483648 THEN 4294967296 ELSE 0 END)::float8 END FROM (" +
        value + ") AS \"~val\")";
    return {sql, T::Float};
}

// CDate of a number counts days from 30 December 1899, the fraction being the time of day also
// for days before it (-1.5 is 29 December 1899 at noon). A text is read by the regional date
// settings: refused.
Written WriteCDate(ExpressionWriter& w, const Expr& c, const Scope& s) {
    const Written x = w.value(arg(c, 0), s);
    if (x.type == T::Date || x.type == T::Null) return {x.sql, T::Date};
    if (x.type == T::Text)
        throw Refusal("CDate()", "Access reads the text by its regional date settings");
    const std::string n = "(" + w.number(x, arg(c, 0)).sql + ")::float8";
    return {"(TIMESTAMP '1899-12-30 00:00:00' + trunc(" + n + ") * interval '1 day' + abs(" + n +
                " - trunc(" + n + ")) * interval '1 day')",
            T::Date};
}

// Replace returns the text from `start` on with `find` replaced `count` times (-1: every one),
// comparing as `compare` says: 0 (the default) letter by letter, 1 without regard to case.
Written WriteReplace(ExpressionWriter& w, const Expr& c, const Scope& s) {
    std::string text = w.text(arg(c, 0), s).sql;
    const std::string find = w.text(arg(c, 1), s).sql;
    const std::string with = w.text(arg(c, 2), s).sql;
    if (c.children.size() > 3) text = "substr(" + text + ", " + w.number(arg(c, 3), s).sql + ")";
    const int count = constantNumber(c, 4, -1);
    const int compare = constantNumber(c, 5, 0);
    if (compare != 0 && compare != 1)
        throw Refusal("Replace()", "a comparison by the database's or the module's setting");
    if (count == 0) return {text, T::Text};
    if (count != -1 && count != 1)
        throw Refusal("Replace()", "a count of replacements other than 1 or all");
    if (compare == 0 && count == -1)
        return {"replace(" + text + ", " + find + ", " + with + ")", T::Text};
    // A pattern matching `find` literally: every character that is no letter or digit escaped.
    const std::string pattern = "regexp_replace(" + find + ", '([^[:alnum:]])', '\\\\\\1', 'g')";
    const std::string flags = std::string(count == -1 ? "g" : "") + (compare == 1 ? "i" : "");
    return {"(CASE WHEN " + find + " = '' THEN " + text + " ELSE regexp_replace(" + text + ", " +
                pattern + ", replace(" + with + ", '\\', '\\\\'), '" + flags + "') END)",
            T::Text};
}

} // namespace tabulant::dialect
