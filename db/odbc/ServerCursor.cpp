#include "ServerCursor.h"

#include "platform/Error.h"

#include <sqlext.h>

namespace tabulant::db {

ServerCursor::ServerCursor(std::shared_ptr<OdbcSession> session, SQLHSTMT statement,
                           SQLSMALLINT columns)
    : session_(std::move(session)), statement_(statement), reader_(statement, columns),
      fields_(reader_.Columns()) {
    try {
        fetch();
    } catch (...) {
        release();
        throw;
    }
}

ServerCursor::~ServerCursor() { release(); }

void ServerCursor::moveNext() {
    if (atEnd_) return;
    if (!session_->connected())
        throw platform::Error(platform::errors::ObjectClosed,
                              "Operation is not allowed when the object is closed.");
    fetch();
}

void ServerCursor::fetch() {
    atEnd_ = !reader_.Fetch(fields_);
    if (atEnd_) {
        for (platform::Field& f : fields_) f.value.setNull();
        release();
    }
}

void ServerCursor::release() {
    // Disconnecting freed the handle together with the connection.
    if (statement_ != SQL_NULL_HSTMT && session_->connected())
        SQLFreeHandle(SQL_HANDLE_STMT, statement_);
    statement_ = SQL_NULL_HSTMT;
}

} // namespace tabulant::db
