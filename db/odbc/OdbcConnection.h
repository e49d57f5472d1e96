#pragma once

#include "platform/Connection.h"

#include <memory>
#include <string_view>

namespace tabulant::db {

// A connection through the ODBC driver manager (unixODBC), for the "PostgreSQL Unicode" driver.
// Open passes the connection string to the driver as given, followed by DriverOptions. Every
// failure of Execute, including one on a connection that is not open, is a platform::Error whose
// description reads "SQLException: [SQLSTATE] message". Execute returns the rows of a query
// (read whole under CursorLocation 3, so RecordCount is known; streamed under 2) and nullptr for
// any other statement. Each statement commits on its own (autocommit). Not thread-safe.
std::unique_ptr<platform::Connection> CreateOdbcConnection();

// Keywords added behind the caller's connection string. Later keywords win in psqlODBC, so
// these hold even when the string names them too.
inline constexpr std::string_view DriverOptions = ";CommLog=0;Debug=0";

} // namespace tabulant::db
