#include "OdbcConnection.h"

#include "ClientCursor.h"
#include "OdbcDiagnostics.h"
#include "OdbcSession.h"
#include "ServerCursor.h"
#include "WideText.h"
#include "platform/Error.h"
#include "platform/Wipe.h"

#include <sqlext.h>

#include <climits>
#include <vector>

namespace tabulant::db {

namespace {

// psqlODBC's own connection attribute for its communication log (pgapifunc.h).
constexpr SQLINTEGER PsqlOdbcCommLogAttribute = 65537;

// psqlODBC keeps one process-wide switch for its communication log, counted over the open
// connections. Disconnecting uncounts the connection first and then logs the socket's closing,
// so the switch has already fallen back to the driver-wide CommLog of odbcinst.ini (Debian
// registers the driver with CommLog=1) and a /tmp/psqlodbc_*.log is written although the
// connection asked for CommLog=0. Switching the connection's log on and off again through the
// driver's attribute leaves an "off" count that outlasts the disconnect (the driver's off branch
// resets the connection's debug flag instead of its log flag), so the last line is not written
// either. A driver that counts straight, or one without the attribute, is left as it was.
void silenceCommunicationLog(SQLHDBC dbc) {
    SQLSetConnectAttrW(dbc, PsqlOdbcCommLogAttribute, reinterpret_cast<SQLPOINTER>(1),
                       SQL_IS_UINTEGER);
    SQLSetConnectAttrW(dbc, PsqlOdbcCommLogAttribute, reinterpret_cast<SQLPOINTER>(0),
                       SQL_IS_UINTEGER);
}

[[noreturn]] void throwNotOpen() {
    throw platform::Error(platform::errors::ObjectClosed,
                          SqlExceptionText("08003", "The connection is not open."));
}

class OdbcConnection final : public platform::Connection {
public:
    ~OdbcConnection() override {
        try {
            release();
        } catch (const platform::Error&) {
            // A connection dropped without Close has no one to tell; Close reports it.
        }
    }

    void Open(std::string_view connectionString) override {
        if (IsOpen())
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is open.");
        release();
        auto session = std::make_shared<OdbcSession>();
        SQLSetConnectAttrW(session->dbc(), SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(ConnectionTimeout())),
                           SQL_IS_UINTEGER);
        // A NUL would end the string early (and with it our driver options); a string longer than
        // a SQLSMALLINT count cannot be passed at all.
        if (connectionString.find('\0') != std::string_view::npos)
            throw platform::Error(platform::errors::Generic,
                                  SqlExceptionText("22021", "The connection string holds a NUL "
                                                            "character."));
        // Both copies hold the password: reserved whole, so that no grown-out copy is left
        // behind, and wiped however the connection attempt ends.
        std::string full;
        full.reserve(connectionString.size() + DriverOptions.size());
        full.append(connectionString).append(DriverOptions);
        const platform::WipeOnExit wipeFull(full);
        std::vector<SQLWCHAR> wide = ToUtf16(full);
        const platform::WipeOnExit wipeWide(wide);
        if (wide.size() > static_cast<std::size_t>(SHRT_MAX))
            throw platform::Error(platform::errors::Generic,
                                  SqlExceptionText("22001", "The connection string is too long."));
        const SQLRETURN rc = SQLDriverConnectW(session->dbc(), nullptr, wide.data(),
                                               static_cast<SQLSMALLINT>(wide.size()), nullptr, 0,
                                               nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc))
            ThrowSqlException(SQL_HANDLE_DBC, session->dbc(), "The connection cannot be opened.");
        session->markConnected();
        silenceCommunicationLog(session->dbc());
        session_ = std::move(session);
    }

    std::unique_ptr<platform::Cursor> Execute(std::string_view statementText) override {
        if (!IsOpen()) throwNotOpen();
        // The driver ends the text at a NUL, so "UPDATE t SET a = 1<NUL> WHERE ..." would run
        // without its WHERE clause. PostgreSQL accepts no NUL in any text anyway.
        if (statementText.find('\0') != std::string_view::npos)
            throw platform::Error(
                platform::errors::Generic,
                SqlExceptionText("22021", "The statement holds a NUL character, which "
                                          "PostgreSQL does not accept; nothing was executed."));
        SQLHSTMT statement = reusableStatement();
        text_.clear();
        platform::AppendUtf16(statementText, text_);
        SQLRETURN rc =
            SQLExecDirectW(statement, text_.data(), static_cast<SQLINTEGER>(text_.size()));
        if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) failStatement(statement);

        SQLSMALLINT columns = 0;
        if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(SQLNumResultCols(statement, &columns)))
            failStatement(statement);
        if (columns > 0) return rowsOf(statement, columns);

        // A text of several statements reports a failure of a later one only here.
        while ((rc = SQLMoreResults(statement)) != SQL_NO_DATA) {
            if (!SQL_SUCCEEDED(rc)) failStatement(statement);
        }
        return nullptr;
    }

    std::unique_ptr<platform::Cursor> OpenSchema(int) override {
        throw platform::Error(
            platform::errors::Generic,
            SqlExceptionText("HYC00", "The schema is not offered by this connection."));
    }

    void Close() override {
        if (!IsOpen())
            throw platform::Error(platform::errors::ObjectClosed,
                                  "Operation is not allowed when the object is closed.");
        release();
    }

    bool IsOpen() const override { return session_ && session_->connected(); }

private:
    // One statement handle serves every Execute; only a streamed result takes it away.
    SQLHSTMT reusableStatement() {
        if (statement_ == SQL_NULL_HSTMT) {
            if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, session_->dbc(), &statement_))) {
                statement_ = SQL_NULL_HSTMT;
                ThrowSqlException(SQL_HANDLE_DBC, session_->dbc(), "No statement can be made.");
            }
            timeoutApplied_ = -1;
        }
        if (timeoutApplied_ != CommandTimeout()) {
            SQLSetStmtAttrW(statement_, SQL_ATTR_QUERY_TIMEOUT,
                            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(CommandTimeout())),
                            SQL_IS_UINTEGER);
            timeoutApplied_ = CommandTimeout();
        }
        return statement_;
    }

    [[noreturn]] void failStatement(SQLHSTMT statement) {
        std::string text = SqlExceptionText(SQL_HANDLE_STMT, statement, "The statement failed.");
        SQLFreeStmt(statement, SQL_CLOSE);
        throw platform::Error(platform::errors::Generic, std::move(text));
    }

    std::unique_ptr<platform::Cursor> rowsOf(SQLHSTMT statement, SQLSMALLINT columns) {
        if (CursorLocation() == adUseClient) {
            try {
                OdbcRowReader reader(statement, columns);
                auto cursor = std::make_unique<ClientCursor>(reader);
                SQLFreeStmt(statement, SQL_CLOSE);
                return cursor;
            } catch (...) {
                SQLFreeStmt(statement, SQL_CLOSE);
                throw;
            }
        }
        statement_ = SQL_NULL_HSTMT; // the cursor owns it now
        return std::make_unique<ServerCursor>(session_, statement, columns);
    }

    // Leaves the object closed even when the driver refuses to disconnect, and then throws its
    // diagnostics.
    void release() {
        if (statement_ != SQL_NULL_HSTMT && session_ && session_->connected())
            SQLFreeHandle(SQL_HANDLE_STMT, statement_);
        statement_ = SQL_NULL_HSTMT;
        const std::shared_ptr<OdbcSession> session = std::move(session_);
        if (session) session->disconnect();
    }

    std::shared_ptr<OdbcSession> session_;
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    int timeoutApplied_ = -1;
    std::vector<SQLWCHAR> text_;
};

} // namespace

std::unique_ptr<platform::Connection> CreateOdbcConnection() {
    return std::make_unique<OdbcConnection>();
}

} // namespace tabulant::db
