#pragma once

#include <sql.h>

namespace tabulant::db {

// The environment and connection handles of one ODBC connection. The connection object and
// every cursor still reading from it share one session, so the handles live as long as the last
// of them; a cursor looks at `connected` before it touches its statement handle, because
// disconnecting frees every statement of the connection. Not thread-safe.
class OdbcSession {
public:
    // Allocates both handles (ODBC 3 behaviour); throws platform::Error when the driver manager
    // cannot provide them.
    OdbcSession();
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    SQLHDBC dbc() const { return dbc_; }
    bool connected() const { return connected_; }
    void markConnected() { connected_ = true; }
    // Ends the connection; no-op when it is not connected. When the driver refuses, throws
    // platform::Error with its diagnostics ("SQLException: [...] ..."); the session counts as
    // disconnected all the same, and its handles are then left to the driver manager rather
    // than freed while it still holds them connected.
    void disconnect();

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    bool stuck_ = false; // a disconnect failed: the handles must not be freed
};

} // namespace tabulant::db
