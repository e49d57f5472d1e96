#pragma once

#include "Tree.h"

#include <memory>
#include <string_view>

namespace tabulant::dialect {

// Reads an Access expression (a default value, a validation rule, a query's column) into a tree.
// Operators bind as in Access: ^, then unary minus (so -2^2 is -4), * /, \, Mod, + -, &, the
// comparisons with Like, Is, Between and In, then Not, And, Or, Xor, Eqv, Imp.
// Throws Refusal for text it cannot read, naming where.
std::unique_ptr<Expr> ParseExpression(std::string_view source);

// Reads a saved select, union or crosstab query in Access's SQL ("PARAMETERS ...;" first when it
// has any). Action and data-definition statements are a Refusal: they are not translated.
Query ParseQuery(std::string_view source);

} // namespace tabulant::dialect
