#pragma once

#include "Catalog.h"
#include "Tree.h"

#include <string>
#include <vector>

namespace tabulant::dialect {

// A value the query takes when it runs: a declared parameter, an @name, a form's control, or a
// name that is no column of the sources (Access asks the user for it). The SELECT names it $n.
struct QueryParameter {
    std::string name;               // the argument's name in PostgreSQL
    std::vector<std::string> parts; // as the query names it
    ValueType type = ValueType::Unknown;
    std::string pgType;    // "timestamp", "varchar", ...
    bool declared = false; // in PARAMETERS with a type; else typed by what it is compared with
};

// A query written for PostgreSQL: the SELECT (no semicolon, one line) that gives Access's
// result, its output columns, the tables and queries it reads, and the values it takes ($1, $2,
// ... in that order; none for a query that can be a view).
struct Translation {
    std::string sql;
    std::vector<RelationColumn> columns;
    std::vector<std::string> reads; // Access names, as the query wrote them
    std::vector<QueryParameter> parameters = {};
    // Access names of the output columns whose values tell its rows apart (the records they come
    // from, for DISTINCTROW over it); empty when its output cannot tell them apart.
    std::vector<std::string> rowKey = {};
};

// A value written for PostgreSQL, with the type that decides how Access's operators apply to it.
struct Written {
    std::string sql;
    ValueType type = ValueType::Unknown;
    std::string pgType = {}; // a column's own PostgreSQL type, carried to the output
    int parameter = 0;       // 1 + the index of the query parameter it is, else 0
};

// The PostgreSQL type that holds a value of `type` whole (bigint for any whole number).
std::string PostgresType(ValueType type);

// Thrown when a query names a table or query the catalogue does not hold (yet): a query over a
// query that is translated later, or over an object that no longer exists.
class MissingRelation : public std::runtime_error {
public:
    explicit MissingRelation(std::string name)
        : std::runtime_error("no table or query named " + name), name_(std::move(name)) {}
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

// Translates a parsed select, union or crosstab query; the values it needs when it runs become
// its parameters. Throws Refusal for a construct that has no translation giving Access's result
// (a VBA function, headings that depend on the data, ...), MissingRelation for a source the
// catalogue lacks.
Translation TranslateQuery(const Query& query, const Catalog& catalog);

// Translates an expression over no sources (constants and functions), as a query's column
// would be written. Throws Refusal, also for a value it would need when it runs.
Written TranslateExpression(const Expr& expression);

} // namespace tabulant::dialect
