#pragma once

#include "Catalog.h"
#include "Tree.h"

#include <string>
#include <vector>

namespace tabulant::dialect {

// A query written for PostgreSQL: the SELECT (no semicolon, one line) that gives Access's
// result, its output columns, and the tables and queries it reads.
struct Translation {
    std::string sql;
    std::vector<RelationColumn> columns;
    std::vector<std::string> reads; // Access names, as the query wrote them
};

// A value written for PostgreSQL, with the type that decides how Access's operators apply to it.
struct Written {
    std::string sql;
    ValueType type = ValueType::Unknown;
};

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

// Translates a parsed select or union query. Throws Refusal for a construct that has no
// translation giving Access's result (declared parameters, a name that is no column of the
// sources and so a run-time value, a form reference, a VBA function, ...), MissingRelation for
// a source the catalogue lacks.
Translation TranslateQuery(const Query& query, const Catalog& catalog);

// Translates an expression over no sources (constants and functions), as a query's column
// would be written. Throws Refusal.
Written TranslateExpression(const Expr& expression);

} // namespace tabulant::dialect
