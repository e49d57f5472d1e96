#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tabulant::db {

// The result types of calculated columns, by column name, from a table's property list (the
// LvProp value of its catalogue row: "MR2" then blocks of property names and of per-column
// property values). A calculated column's own type byte is the type the user first chose; the
// "ResultType" property is the type its stored values have. Damage yields fewer entries.
std::map<std::string, int> CalculatedResultTypes(std::string_view properties);

} // namespace tabulant::db
