#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::dialect {

struct Select;

// What the PostgreSQL writer knows of a value's type; Access's rules for an operator depend on it.
enum class ValueType : unsigned char {
    Unknown, // no rule known: operators that depend on the type refuse it
    Null,    // the Null literal
    Boolean, // Yes/No: boolean in PostgreSQL, -1/0 where Access meets it with numbers
    Integer, // Byte, Integer, Long Integer, Large Number
    Float,   // Single, Double
    Exact,   // Currency, Decimal: numeric
    Text,    // Text, Memo, Hyperlink
    Date,    // Date/Time: timestamp
    Binary,
};

struct RelationColumn {
    std::string name;   // as Access names it
    std::string pgName; // as PostgreSQL has it
    ValueType type = ValueType::Unknown;
    std::string pgType = {}; // its PostgreSQL type where known ("varchar(40)"), else empty
};

// A value a translated query takes when it runs, as the query names it.
struct RelationParameter {
    std::vector<std::string> parts;
    ValueType type = ValueType::Unknown;
};

// A table or translated query the writer may name.
struct Relation {
    std::string name;   // as Access names it
    std::string pgName; // as PostgreSQL has it
    std::vector<RelationColumn> columns;
    // Access names of the columns that tell its records apart: a table's primary key, the
    // columns of a query that do (Translation::rowKey); none when unknown.
    std::vector<std::string> key;
    bool table = false; // a table, whose rows the server tells apart by ctid
    // A query that takes values is a function of them, in this order; a query reading it asks
    // for the same values.
    std::vector<RelationParameter> parameters = {};
    // A query's own SELECT, written again below a query that must tell its records apart.
    std::shared_ptr<const Select> definition = {};
};

// The tables and queries a translation may read, found by Access name without regard to letter
// case. Implemented by the caller; the writer keeps no pointer past the call.
class Catalog {
public:
    virtual ~Catalog() = default;
    virtual const Relation* Find(std::string_view name) const = 0;
};

} // namespace tabulant::dialect
