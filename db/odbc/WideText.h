#pragma once

#include <sqltypes.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db {

// The driver "PostgreSQL Unicode" is reached through the wide ODBC calls, whose texts are UTF-16
// (SQLWCHAR is 16 bits in unixODBC); the program's texts are UTF-8. Both conversions append to a
// buffer the caller keeps, so that a statement per row costs no allocation once the buffer has
// grown. Malformed input (a broken UTF-8 sequence, a lone surrogate) becomes U+FFFD instead of
// being dropped or passed on as invalid text.
void AppendUtf16(std::string_view utf8, std::vector<SQLWCHAR>& out);
void AppendUtf8(const SQLWCHAR* utf16, std::size_t length, std::string& out);

std::vector<SQLWCHAR> ToUtf16(std::string_view utf8);
std::string ToUtf8(const SQLWCHAR* utf16, std::size_t length);

} // namespace tabulant::db
