#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::dialect {

struct Select;

// One node of an Access expression. The kind says which fields are used; children keep the
// source's order. Plain data made by the parser.
struct Expr {
    enum class Kind : unsigned char {
        Number, // text: as written
        Text,   // text: the value
        Date,   // text: between the # signs
        Null,
        Boolean,   // True/False, Yes/No, On/Off; flag: true
        Name,      // parts: [qualifier...,] name ("!" and "." alike)
        Star,      // *, or T.* with parts = {T}
        Parameter, // @name: text
        Unary,     // op: "-", "+", "not"; children[0]
        Binary,    // op: "+", "-", "*", "/", "\\", "mod", "^", "&", "=", "<>", "<", ">", "<=",
                   // ">=", "and", "or", "xor", "eqv", "imp"
        Like,      // children: value, pattern; flag: Not Like
        Between,   // children: value, low, high; flag: Not Between
        In,        // children: value, items...; or value and subquery; flag: Not In
        IsNull,    // children[0]; flag: Is Not Null
        Call,      // text: function name as written; children: arguments
        Subquery,  // select
        Exists,    // select
    };
    Kind kind = Kind::Null;
    std::string text;
    std::string op;
    std::vector<std::string> parts;
    bool flag = false;
    std::vector<std::unique_ptr<Expr>> children;
    std::shared_ptr<Select> select;
    std::size_t offset = 0; // where it starts in the source

    // The construct as Access wrote it, roughly: for messages.
    std::string describe() const;
};

// A source of FROM: a table or query, a derived table, or a join of two sources.
struct Source {
    enum class Kind : unsigned char { Named, Derived, Join };
    Kind kind = Kind::Named;
    std::string name;  // Named: the table or query
    std::string alias; // empty when none
    std::shared_ptr<Select> derived;
    std::string joinKind; // "inner", "left", "right"
    std::unique_ptr<Source> left, right;
    std::unique_ptr<Expr> on;
};

struct OutputColumn {
    std::unique_ptr<Expr> expr;
    std::string alias; // empty when none
};

struct Ordering {
    std::unique_ptr<Expr> expr;
    bool descending = false;
};

struct Parameter {
    std::string name;
    std::string type;               // as written: Text, Long, DateTime, ...
    std::vector<std::string> parts; // the name split at ! and . (Forms![F]![C] is three)
};

// A SELECT, a UNION of SELECTs, or a crosstab (TRANSFORM ... PIVOT).
struct Select {
    enum class Quantifier : unsigned char { All, Distinct, DistinctRow };
    Quantifier quantifier = Quantifier::All;
    std::optional<std::string> top; // TOP's number as written
    bool topPercent = false;
    std::vector<OutputColumn> columns;
    std::vector<Source> from;     // comma-separated items
    std::string externalDatabase; // FROM ... IN '...'
    std::unique_ptr<Expr> where;
    std::vector<std::unique_ptr<Expr>> groupBy;
    std::unique_ptr<Expr> having;
    std::vector<Ordering> orderBy;
    // Union: the parts after this one; unionAll per part.
    std::vector<std::shared_ptr<Select>> unions;
    std::vector<bool> unionAll;
    // Crosstab: the value (TRANSFORM) and the heading expression (PIVOT) with its fixed list.
    std::unique_ptr<OutputColumn> transform;
    std::unique_ptr<Expr> pivot;
    std::vector<std::unique_ptr<Expr>> pivotIn;
    bool ownerAccess = false;
};

// A whole saved query as the parser reads it: its declared parameters and its SELECT.
struct Query {
    std::vector<Parameter> parameters;
    std::shared_ptr<Select> select;
};

} // namespace tabulant::dialect
