#pragma once

#include "ExpressionWriter.h"

#include <string_view>

namespace tabulant::dialect {

// An Access function with a PostgreSQL form that gives Access's result.
struct Function {
    const char* name;
    int minArguments;
    int maxArguments;
    Written (*write)(ExpressionWriter& writer, const Expr& call, const Scope& scope);
};

// By name, letter case ignored; null for a function without a translation (those that have one
// but refuse certain arguments say so when written).
const Function* FindFunction(std::string_view name);

} // namespace tabulant::dialect
