#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tabulant::db {

class TextDecoder;

// A table's property list is the LvProp value of its catalogue row: "KKD\0" (Jet 3) or "MR2\0"
// (Jet 4 and later), then blocks: one of property names, then per column (and once for the table
// itself) a block naming the column and listing its values.

// One property value: the column it belongs to (empty for the table's own, whatever name its
// block gives), the property's name, its type (a column type byte) and its stored bytes.
using PropertyVisitor = std::function<void(const std::string& column, const std::string& property,
                                           int type, const std::uint8_t* data, std::size_t size)>;

// Calls `visit` for every value of a property list. Jet 3 lists keep their names in the
// database's code page, which `codePageText` decodes (without it, Jet 3 lists are skipped); the
// later lists keep UTF-16LE. Damage ends the walk early: it yields fewer values, never an error,
// and the result is false (true when the list was read to its end, or is not one).
bool ForEachProperty(std::string_view properties, TextDecoder* codePageText,
                     const PropertyVisitor& visit);

// The result types of calculated columns, by column name. A calculated column's own type byte is
// the type the user first chose; the "ResultType" property is the type its stored values have.
// Damage yields fewer entries.
std::map<std::string, int> CalculatedResultTypes(std::string_view properties);

} // namespace tabulant::db
