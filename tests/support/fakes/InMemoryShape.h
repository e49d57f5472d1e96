#pragma once

#include "platform/Cursor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tabulant::fakes {

struct InMemoryTable;

// What a table's schema rows say of a column beyond its name and type code (see
// platform/Connection.h for the columns of each schema record set).
struct ColumnShape {
    std::string accessType; // ACCESS_TYPE ("Long Integer", "Text"); empty leaves it null
    std::optional<int> length, precision, scale;
    bool notNull = false;
    bool autoNumber = false;
};

struct IndexShape {
    std::string name;
    std::vector<std::pair<std::string, bool>> columns; // name and ascending, in key order
    bool primaryKey = false;
    bool unique = false;
};

struct RelationshipShape {
    std::string name;
    std::string table;                                        // referencing
    std::string referencedTable;                              // referenced
    std::vector<std::pair<std::string, std::string>> columns; // referencing, referenced
    std::string updateRule = "NO ACTION";
    std::string deleteRule = "NO ACTION";
    bool enforced = true;
};

// The schema record sets over in-memory tables, in the columns and order of the Access
// provider's: only tables of type "TABLE"; a column the table does not describe has its type
// code alone.
std::unique_ptr<platform::Cursor> ColumnsRowset(const std::vector<InMemoryTable>& tables);
std::unique_ptr<platform::Cursor> IndexesRowset(const std::vector<InMemoryTable>& tables);
std::unique_ptr<platform::Cursor> PrimaryKeysRowset(const std::vector<InMemoryTable>& tables);
std::unique_ptr<platform::Cursor>
ForeignKeysRowset(const std::vector<RelationshipShape>& relationships);

} // namespace tabulant::fakes
