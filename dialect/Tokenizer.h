#pragma once

#include "Token.h"

#include <string_view>
#include <vector>

namespace tabulant::dialect {

// Splits Access SQL or an expression into tokens, ending with one End token. An unterminated
// name, text or date is a Refusal naming it.
std::vector<Token> Tokenize(std::string_view source);

} // namespace tabulant::dialect
