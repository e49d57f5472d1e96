#pragma once

#include "platform/Cursor.h"

#include <memory>
#include <string_view>

namespace tabulant::db {

class AccessDatabase;

// The rowsets platform/ComplexSchema.h describes. ComplexColumnsSchema throws platform::Error
// when MSysComplexColumns is damaged; ComplexValuesSchema also when the table is not there or its
// rows cannot be read. A field whose hidden tables are damaged is named in the columns rowset's
// DAMAGE and gives no values.
std::unique_ptr<platform::Cursor> ComplexColumnsSchema(AccessDatabase& db);
std::unique_ptr<platform::Cursor> ComplexValuesSchema(AccessDatabase& db, std::string_view table);

} // namespace tabulant::db
