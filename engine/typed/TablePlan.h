#pragma once

#include "NameSet.h"
#include "TableSchema.h"
#include "TypeMapping.h"

#include "platform/Recordset.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::typed {

// One table as the typed conversion writes it: a column per field of its record set, in the
// record set's order, with the PostgreSQL name and type of each, and what the source tells of
// its keys. Plain data, made once per converted table.
struct TablePlan {
    std::string table;              // the Access name, which is also the PostgreSQL one
    std::string schema;             // where the table goes; empty for the server's default
    std::vector<Column> columns;    // as the schema gives them, or from the field's type
    std::vector<std::string> names; // PostgreSQL column names: whole, or cut to fit
    std::vector<ColumnMapping> mappings;
    std::vector<Index> indexes;
    std::optional<std::int64_t> autoNumberCounter;
    int identityColumn = -1; // the column numbered by a sequence, if any
    NameSet constraintNames; // given out on this table (keys, foreign keys)

    // The PostgreSQL name of a column named by its Access name (letter case ignored); for a name
    // the table does not have, the name itself, fitted, so that the server names the fault.
    std::string ColumnName(std::string_view accessName) const;
};

// The plan of a table from its record set's fields and, when the source has one, its schema.
// A field the schema does not describe gets the type its type code stands for. Throws
// platform::Error when the fields cannot be read.
TablePlan PlanTable(std::string_view table, const platform::FieldList& fields,
                    const TableSchema* schema);

// CREATE TABLE "T"("Column" TYPE, ...); with every column's name and definition.
std::string CreateTableStatement(const TablePlan& plan);

} // namespace tabulant::engine::typed
