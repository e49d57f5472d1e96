#pragma once

#include "platform/Connection.h"

#include <memory>

namespace tabulant::db {

// A connection through the ODBC driver manager (unixODBC), for the "PostgreSQL Unicode" driver.
std::unique_ptr<platform::Connection> CreateOdbcConnection();

} // namespace tabulant::db
