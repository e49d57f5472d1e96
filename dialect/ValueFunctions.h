#pragma once

#include "ExpressionWriter.h"

namespace tabulant::dialect {

// Access functions whose PostgreSQL form is more than a call: Val, CDate and Replace. Each
// throws Refusal for the arguments whose result Access decides by regional settings.
Written WriteVal(ExpressionWriter& writer, const Expr& call, const Scope& scope);
Written WriteCDate(ExpressionWriter& writer, const Expr& call, const Scope& scope);
Written WriteReplace(ExpressionWriter& writer, const Expr& call, const Scope& scope);

} // namespace tabulant::dialect
