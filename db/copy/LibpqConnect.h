#pragma once

#include "db/ConnectionFields.h"

struct pg_conn;

namespace tabulant::db {

// A libpq connection made with the five PostgreSQL fields of the run; an empty field is left to
// libpq, which then reads PGHOST, PGPORT, PGUSER, PGPASSWORD, PGDATABASE, the password file and
// PGSSLMODE as PostgreSQL's own tools do. The connection speaks UTF-8.
// Throws platform::Error with libpq's reason when it fails: number -1, a description that reads
// like the ODBC connection's ("SQLException: [08001] ...").
pg_conn* ConnectLibpq(const ConnectionFields& fields);

} // namespace tabulant::db
