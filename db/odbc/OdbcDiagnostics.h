#pragma once

#include <sql.h>

#include <string>
#include <string_view>

namespace tabulant::db {

// The text of the diagnostic records an ODBC call left on a handle:
// "SQLException: [SQLSTATE] message", further records on lines of their own. The preview's
// execution stops at a failure whose description holds "SQLException", so every failure of a
// statement must read this way. `fallback` is used when the driver left no record.
std::string SqlExceptionText(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback);
std::string SqlExceptionText(std::string_view sqlState, std::string_view message);

// Throws platform::Error (number errors::Generic) with the text above.
[[noreturn]] void ThrowSqlException(SQLSMALLINT handleType, SQLHANDLE handle,
                                    std::string_view fallback);

} // namespace tabulant::db
