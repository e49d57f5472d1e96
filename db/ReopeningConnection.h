#pragma once

#include "platform/Connection.h"

#include <memory>
#include <string>

namespace tabulant::db {

// A connection that gets over a lost server once it is back: after a statement failed because
// the connection is gone (FailureScope::Connection), or when the connection it opened is no
// longer open, the next Execute first closes what is left of it and opens it once more with the
// string it was opened with, and only then sends its statement. A reopen that fails throws its
// own failure and leaves the connection lost, so the next Execute tries once more. Nothing is
// ever sent twice: a statement whose sending failed is not sent again by this class.
//
// The connection string, which holds the password, is kept only from Open to Close (as the driver
// keeps its own copy) and wiped then. Close after a failed reopen closes quietly; Close of a
// connection never opened fails as the wrapped one does. Properties set before Open are handed
// to the wrapped connection.
// Errors: platform::Error, as the wrapped connection throws them. Not thread-safe.
class ReopeningConnection final : public platform::Connection {
public:
    explicit ReopeningConnection(std::unique_ptr<platform::Connection> inner)
        : inner_(std::move(inner)) {}
    ~ReopeningConnection() override;
    ReopeningConnection(const ReopeningConnection&) = delete;
    ReopeningConnection& operator=(const ReopeningConnection&) = delete;

    void Open(std::string_view connectionString) override;
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override;
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override;
    std::unique_ptr<platform::Cursor> OpenTableSchema(int schema, std::string_view table) override;
    void Close() override;
    bool IsOpen() const override { return inner_->IsOpen(); }

private:
    void reopen();

    std::unique_ptr<platform::Connection> inner_;
    std::string connectionString_;
    bool opened_ = false; // opened by Open and not closed since
    bool lost_ = false;
};

} // namespace tabulant::db
