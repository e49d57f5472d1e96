#pragma once

#include "Catalog.h"
#include "PostgresWriter.h"
#include "Tree.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::dialect {

class QueryParameters;

// The names an expression can see: the sources of its query (alias or name, and the relation
// behind it), the output columns where ORDER BY may name them, then the enclosing query's.
struct Scope {
    struct Entry {
        std::string qualifier;   // alias, or the source's Access name
        std::string pgQualifier; // as written in PostgreSQL, quoted
        const Relation* relation = nullptr;
        mutable bool used = false; // a column was named through it
    };
    std::vector<Entry> entries;
    const std::vector<RelationColumn>* outputs = nullptr;
    const Scope* parent = nullptr;
};

// Writes expressions for PostgreSQL with Access's semantics. The select writer gives it
// subqueries to write (it calls back through `subquery`).
class ExpressionWriter {
public:
    using SubqueryWriter = std::function<Translation(const Select&, const Scope&)>;
    explicit ExpressionWriter(SubqueryWriter subquery) : subquery_(std::move(subquery)) {}

    // Where the values a query needs when it runs are gathered; without it (a default value, a
    // rule) they are refused. Not owned.
    void takeParameters(QueryParameters* parameters) { parameters_ = parameters; }
    // Written after every aggregate (" FILTER (WHERE …)" for a crosstab's heading), or empty.
    void filterAggregates(std::string filter) { aggregateFilter_ = std::move(filter); }
    const std::string& aggregateFilter() const { return aggregateFilter_; }

    Written value(const Expr& e, const Scope& scope);
    // The value as a PostgreSQL boolean (Access: not 0 is true).
    std::string condition(const Expr& e, const Scope& scope);
    std::string condition(const Written& w, const Expr& where);
    // The value as a number (a Yes/No is -1/0).
    Written number(const Expr& e, const Scope& scope);
    Written number(Written w, const Expr& where);
    // The value as text, the way Access turns it into text where it joins texts.
    Written text(const Expr& e, const Scope& scope);
    Written text(Written w, const Expr& where);
    Written date(const Expr& e, const Scope& scope);
    // Two values compared as Access compares them (letter case ignored in text, Yes as -1).
    Written compare(const std::string& op, Written l, Written r, const Expr& e);

    // Whether a function name is one of the aggregates.
    static bool IsAggregate(std::string_view name);

private:
    Written name(const Expr& e, const Scope& scope);
    Written binary(const Expr& e, const Scope& scope);
    Written like(const Expr& e, const Scope& scope);
    Written call(const Expr& e, const Scope& scope);

    Written parameter(const std::vector<std::string>& parts, const Expr& e);

    SubqueryWriter subquery_;
    QueryParameters* parameters_ = nullptr;
    std::string aggregateFilter_;
};

// Helpers shared by the writers.
bool SameName(std::string_view a, std::string_view b); // letter case ignored, as Access does
std::string Quote(std::string_view identifier);        // "name", quotes doubled
std::string TextLiteral(std::string_view text);        // 'text' or E'…' when it holds line breaks
std::string DateLiteral(const std::string& accessDate); // TIMESTAMP '…'; Refusal when unreadable
// The text Access shows for a date under United States settings (General Date): m/d/yyyy, then
// h:nn:ss AM/PM when it has a time; a time alone on 30 December 1899 without its date. Of a
// #…# literal, and as PostgreSQL of a timestamp value.
std::string UsDateText(const std::string& accessDate);
std::string UsDateTextSql(const std::string& timestamp);
ValueType Unify(ValueType a, ValueType b, const std::string& construct);
// Rounds half to even to `digits` places, as Access's Round and CCur do; `value` is numeric.
std::string RoundHalfEven(const std::string& value, int digits);
// A Like pattern of Access as a PostgreSQL ILIKE pattern, or as a case-insensitive regular
// expression when it uses # or [...] (regex set).
std::string LikePattern(const std::string& access, bool& regex);

} // namespace tabulant::dialect
