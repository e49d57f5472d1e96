#pragma once

#include "platform/Utf16.h"

#include <sqltypes.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db {

// The driver "PostgreSQL Unicode" is reached through the wide ODBC calls, whose texts are UTF-16
// (SQLWCHAR is 16 bits in unixODBC); the program's texts are UTF-8. Malformed input (a broken
// UTF-8 sequence, a lone surrogate) becomes U+FFFD instead of being dropped or passed on as
// invalid text. Where a buffer is reused (a statement per row), platform::AppendUtf16 and
// platform::AppendUtf8 append to it instead.

inline std::vector<SQLWCHAR> ToUtf16(std::string_view utf8) {
    std::vector<SQLWCHAR> out;
    out.reserve(utf8.size()); // never fewer units than bytes, so the buffer grows only once
    platform::AppendUtf16(utf8, out);
    return out;
}

inline std::string ToUtf8(const SQLWCHAR* utf16, std::size_t length) {
    std::string out;
    out.reserve(length);
    platform::AppendUtf8(utf16, length, out);
    return out;
}

} // namespace tabulant::db
