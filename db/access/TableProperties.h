#pragma once

#include "DatabaseShape.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulant::db {

class TextDecoder;

// Takes the properties the typed conversion carries from a table's property list into `table`,
// whose columns are already made (found by name, letter case ignored): Required, AllowZeroLength,
// DefaultValue, ValidationRule, ValidationText and Description of each column; Description,
// ValidationRule, ValidationText and CheckConstraints of the table. A list read only in part, or
// a CheckConstraints value that is not a list of names and conditions, keeps what was read and
// says why in `table.propertyDamage`.
void ReadTableProperties(std::string_view properties, TextDecoder& text, TableShape& table);

// The Description an object's property list gives it (a saved query's), or "" when none.
std::string ObjectDescription(std::string_view properties, TextDecoder& text);

// The Caption of each column an object's property list names (a saved query's output columns,
// each named by its alias or, without one, by its expression as written), in the list's order.
std::vector<std::pair<std::string, std::string>> ColumnCaptions(std::string_view properties,
                                                                TextDecoder& text);

} // namespace tabulant::db
