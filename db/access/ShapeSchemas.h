#pragma once

#include "DatabaseShape.h"

#include "platform/Cursor.h"

#include <memory>

namespace tabulant::db {

// The schema rowsets of a database's shape, with the columns platform::Connection documents for
// adSchemaColumns, adSchemaIndexes, adSchemaPrimaryKeys and adSchemaForeignKeys.
std::unique_ptr<platform::Cursor> ColumnsSchema(const std::vector<TableShape>& tables);
std::unique_ptr<platform::Cursor> IndexesSchema(const std::vector<TableShape>& tables);
std::unique_ptr<platform::Cursor> PrimaryKeysSchema(const std::vector<TableShape>& tables);
// The tables' own rules and descriptions; platform/RulesSchema.h gives its columns.
std::unique_ptr<platform::Cursor> CheckConstraintsSchema(const std::vector<TableShape>& tables);
// PK_NAME comes from the referenced tables' indexes.
std::unique_ptr<platform::Cursor>
ForeignKeysSchema(const std::vector<RelationshipShape>& relationships,
                  const std::vector<TableShape>& tables);

} // namespace tabulant::db
