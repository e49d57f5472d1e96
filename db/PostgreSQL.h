#pragma once

#include "db/Services.h"
#include "platform/StringList.h"

#include <functional>
#include <string>

namespace tabulant::db {

// The connection string of the five PostgreSQL fields. It holds the password: callers wipe it
// once it has been used (platform::Wipe), as OpenPostgreSQL does.
std::string PostgreSQLConnectionString(const ConnectionFields& fields);

// Opens `connection` with PostgreSQLConnectionString(fields), wiping the string afterwards.
// Failures of Open are thrown to the caller.
void OpenPostgreSQL(platform::Connection& connection, const ConnectionFields& fields);

// True when a connection with the current settings opens; never shows anything.
bool CanConnectPostgreSQL(const Services& services);

// Appends the names of pg_tables to the list. Failures are thrown to the caller.
void FillPostgreSQLTableList(const Services& services, platform::StringList& list);

// "Test Connection" (Form1.PushButton3_Click): steps 100 to 116, both messages.
// setPointer receives the window's pointer states (11 busy, 0 default).
void TestConnection(const Services& services, const std::function<void(int)>& setPointer);

} // namespace tabulant::db
