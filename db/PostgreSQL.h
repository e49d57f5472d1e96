#pragma once

#include "db/Services.h"
#include "platform/StringList.h"

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::db {

// The connection string of the five PostgreSQL fields. It holds the password: callers wipe it
// once it has been used (platform::Wipe), as OpenPostgreSQL does.
std::string PostgreSQLConnectionString(const ConnectionFields& fields);

// Opens `connection` with PostgreSQLConnectionString(fields), wiping the string afterwards.
// Failures of Open are thrown to the caller.
void OpenPostgreSQL(platform::Connection& connection, const ConnectionFields& fields);

// Opens a connection with the current settings and releases it at once. Answers why it could
// not be opened (the description of the failure, which holds the driver's or server's own
// reason), or nothing when it opened. Never shows anything.
std::optional<std::string> PostgreSQLConnectFailure(const Services& services);

// True when a connection with the current settings opens; never shows anything.
bool CanConnectPostgreSQL(const Services& services);

// Appends the names of pg_tables to the list: every schema's tables, or only those of `schema`
// when one is named (as the server keeps the name). Failures are thrown to the caller.
void FillPostgreSQLTableList(const Services& services, platform::StringList& list,
                             std::string_view schema = {});

} // namespace tabulant::db
