#pragma once

#include "OdbcRowReader.h"
#include "OdbcSession.h"
#include "platform/Cursor.h"

#include <memory>
#include <vector>

namespace tabulant::db {

// A result read row by row from the server as the caller moves (CursorLocation 2); the record
// count is unknown (-1). Owns its statement handle, which it frees at the end of the rows; once
// the connection has been closed, moving fails with errors::ObjectClosed.
class ServerCursor final : public platform::Cursor {
public:
    ServerCursor(std::shared_ptr<OdbcSession> session, SQLHSTMT statement, SQLSMALLINT columns);
    ~ServerCursor() override;
    ServerCursor(const ServerCursor&) = delete;
    ServerCursor& operator=(const ServerCursor&) = delete;

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return atEnd_; }
    std::int64_t recordCount() const override { return -1; }
    void moveNext() override;

private:
    void fetch();
    void release();

    std::shared_ptr<OdbcSession> session_;
    SQLHSTMT statement_;
    OdbcRowReader reader_;
    std::vector<platform::Field> fields_;
    bool atEnd_ = false;
};

} // namespace tabulant::db
