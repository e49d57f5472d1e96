#pragma once

#include "TableSchema.h"

#include "platform/Connection.h"

#include <cstdint>
#include <string_view>

namespace tabulant::engine::typed {

// Reads the shape of the Access file that `source` has open, through its schema record sets
// (platform/Connection.h describes their columns). Each function reads one record set into
// `schema` and throws platform::Error when the source cannot give it (a provider that offers no
// such schema, a damaged table definition); what the others read stays usable. ReadColumns
// makes the tables; the indexes and the autonumber counters of a table it did not list are
// dropped. Thread: the connection's.
void ReadColumns(platform::Connection& source, DatabaseSchema& schema);
void ReadIndexes(platform::Connection& source, DatabaseSchema& schema);
void ReadForeignKeys(platform::Connection& source, DatabaseSchema& schema);
// The tables' own rules, named conditions and descriptions (platform/RulesSchema.h).
void ReadTableRules(platform::Connection& source, DatabaseSchema& schema);
// The fields whose values are kept apart from their rows (platform/ComplexSchema.h).
void ReadComplexColumns(platform::Connection& source, DatabaseSchema& schema);

// The type a source names ("Long Integer", "Date/Time Extended", ...); Unknown for any other name.
AccessType AccessTypeNamed(std::string_view name);
// The type a record set's field code stands for, where no schema tells more (a text then has no
// known length).
AccessType AccessTypeOfAdoCode(std::int16_t code);

} // namespace tabulant::engine::typed
