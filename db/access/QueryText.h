#pragma once

#include "QueryDefinition.h"

#include <string>

namespace tabulant::db {

// The query's SQL in Access's own dialect, rebuilt from its parts the way Access writes it:
// PARAMETERS, the head of its type (SELECT with DISTINCT, DISTINCTROW and TOP; TRANSFORM;
// INSERT INTO; UPDATE; DELETE), FROM with its joins nested as stored, WHERE, GROUP BY, HAVING,
// ORDER BY, PIVOT, ending in ";". Clauses are separated by single spaces. A damaged query has no
// text (empty). Throws nothing for a query ReadQueries built; a join naming a source the query
// does not have makes the FROM list the sources with commas and the conditions go to WHERE.
std::string AccessSqlText(const QueryDefinition& query);

} // namespace tabulant::db
