#pragma once

#include "PostgresWriter.h"
#include "Tree.h"

#include <optional>
#include <string>
#include <vector>

namespace tabulant::dialect {

// The values one query takes when it runs, gathered while it is written: the declared ones in
// their declared order, then the others in the order the query first names them. One object per
// writing of a query.
class QueryParameters {
public:
    // Throws Refusal for a declared type that has no PostgreSQL form.
    explicit QueryParameters(const std::vector<Parameter>& declared);

    // Types an earlier writing of the same query learnt for its undeclared parameters.
    void Learn(const std::vector<QueryParameter>& earlier);

    // The declared parameter a name stands for, if any.
    std::optional<Written> Declared(const std::vector<std::string>& parts) const;
    // The parameter of that name, added as an undeclared one when it is new.
    Written Use(const std::vector<std::string>& parts);

    // An undeclared parameter takes the type of what it first meets: Access reads the typed-in
    // answer as that type. A no-op for other values.
    void Infer(Written& w, ValueType type);

    // The parameters, their argument names unique among themselves and the output columns.
    std::vector<QueryParameter> Finish(const std::vector<RelationColumn>& outputs) const;

private:
    Written written(std::size_t index) const;

    std::vector<QueryParameter> list_;
};

} // namespace tabulant::dialect
