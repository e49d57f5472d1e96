#include "OdbcSession.h"

#include "OdbcDiagnostics.h"
#include "platform/Error.h"

#include <sqlext.h>

namespace tabulant::db {

OdbcSession::OdbcSession() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
        env_ = SQL_NULL_HENV;
        ThrowSqlException(SQL_HANDLE_ENV, SQL_NULL_HANDLE,
                          "The ODBC driver manager cannot allocate an environment.");
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
        dbc_ = SQL_NULL_HDBC;
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        env_ = SQL_NULL_HENV;
        ThrowSqlException(SQL_HANDLE_ENV, SQL_NULL_HANDLE,
                          "The ODBC driver manager cannot allocate a connection.");
    }
}

OdbcSession::~OdbcSession() {
    try {
        disconnect();
    } catch (const platform::Error&) {
        // Whoever closed the connection has been told; a session given up without Close has no
        // one to tell.
    }
    if (stuck_) return;
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void OdbcSession::disconnect() {
    if (!connected_) return;
    connected_ = false;
    if (SQL_SUCCEEDED(SQLDisconnect(dbc_))) return;
    stuck_ = true;
    ThrowSqlException(SQL_HANDLE_DBC, dbc_, "The connection cannot be closed.");
}

} // namespace tabulant::db
