#pragma once

#include "QueryDefinition.h"

#include <vector>

namespace tabulant::db {

class AccessDatabase;

// Every saved query of the file (MSysObjects type 5), sorted by name without regard to letter
// case. The rows of MSysQueries are taken per query, by attribute and then by their Order
// counter, not in the order they are stored. A query whose rows cannot be read as a query comes
// back with `damage` set (naming what is wrong) and the others read on; a file without
// MSysQueries gives the queries it lists as damaged. Errors: platform::Error when MSysQueries
// lacks its columns. Thread: the database's.
std::vector<QueryDefinition> ReadQueries(AccessDatabase& database);

} // namespace tabulant::db
