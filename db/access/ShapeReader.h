#pragma once

#include "DatabaseShape.h"

namespace tabulant::db {

class AccessDatabase;

// The shape of every user table (the tables the tables schema reports as "TABLE"), in the tables
// schema's order, and the relationships of MSysRelationships. Reading rows never depends on
// this: a table whose index sections are damaged still gives its rows.
// Errors: platform::Error naming the damaged table or relationship; nothing is guessed.
// Thread: the database's.
std::vector<TableShape> ReadTableShapes(AccessDatabase& database);
std::vector<RelationshipShape> ReadRelationships(AccessDatabase& database);
DatabaseShape ReadDatabaseShape(AccessDatabase& database);

} // namespace tabulant::db
