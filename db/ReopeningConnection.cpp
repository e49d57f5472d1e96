#include "ReopeningConnection.h"

#include "FailureScope.h"
#include "platform/Error.h"
#include "platform/Wipe.h"

#include <utility>

namespace tabulant::db {

ReopeningConnection::~ReopeningConnection() { platform::Wipe(connectionString_); }

void ReopeningConnection::Open(std::string_view connectionString) {
    inner_->CursorLocation(CursorLocation());
    inner_->Mode(Mode());
    inner_->CommandTimeout(CommandTimeout());
    inner_->ConnectionTimeout(ConnectionTimeout());
    inner_->Open(connectionString);
    platform::Wipe(connectionString_);
    connectionString_.reserve(connectionString.size()); // assigned without growing: one copy
    connectionString_.assign(connectionString);
    opened_ = true;
    lost_ = false;
}

void ReopeningConnection::reopen() {
    // What is left of a lost connection still counts as open to the driver; it is let go first.
    if (inner_->IsOpen()) {
        try {
            inner_->Close();
        } catch (const platform::Error&) { // a dead session may fail to say goodbye
        }
    }
    inner_->Open(connectionString_);
    lost_ = false;
}

std::unique_ptr<platform::Cursor> ReopeningConnection::Execute(std::string_view statement) {
    if (opened_ && (lost_ || !inner_->IsOpen())) {
        lost_ = true;
        reopen();
    }
    try {
        return inner_->Execute(statement);
    } catch (const platform::Error& e) {
        if (ScopeOf(e.description()) == FailureScope::Connection) lost_ = true;
        throw;
    }
}

std::unique_ptr<platform::Cursor> ReopeningConnection::OpenSchema(int schema) {
    return inner_->OpenSchema(schema);
}

std::unique_ptr<platform::Cursor> ReopeningConnection::OpenTableSchema(int schema,
                                                                       std::string_view table) {
    return inner_->OpenTableSchema(schema, table);
}

void ReopeningConnection::Close() {
    if (!opened_) return inner_->Close();
    opened_ = false;
    platform::Wipe(connectionString_);
    const bool lost = std::exchange(lost_, false);
    if (!inner_->IsOpen()) return;
    if (!lost) return inner_->Close();
    try {
        inner_->Close();
    } catch (const platform::Error&) { // as in reopen()
    }
}

} // namespace tabulant::db
