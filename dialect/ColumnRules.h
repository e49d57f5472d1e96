#pragma once

#include "Catalog.h"

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::dialect {

// A column's default value (Access's DefaultValue property) as a PostgreSQL expression for a
// column of `type`. A leading "=" asks Access to evaluate what follows; on a text column a value
// that is neither that nor a quoted text is the text itself. Yes/No columns take numbers as Access
// stores them (0 is No, any other Yes), number columns take Yes as -1. A default cannot read
// fields. Throws Refusal.
std::string TranslateDefault(std::string_view value, ValueType type);

// A column's validation rule as the condition of a CHECK constraint over the table's `columns`
// (with their PostgreSQL names). A rule that starts with an operator (">=0", "Between 0 And 1",
// "Like ...", "In (...)", "Is Not Null") has the field as its missing left side; a rule that is
// no condition is "field = rule". A Null that makes the condition Null passes it, in Access as in
// a PostgreSQL CHECK. Throws Refusal (a subquery, a function or name Access rules may not use).
std::string TranslateFieldRule(std::string_view rule, const RelationColumn& field,
                               const std::vector<RelationColumn>& columns);

// A table's validation rule, or a condition a data-definition statement gave it, as the
// condition of a CHECK constraint. Throws Refusal.
std::string TranslateTableRule(std::string_view rule, const std::vector<RelationColumn>& columns);

} // namespace tabulant::dialect
