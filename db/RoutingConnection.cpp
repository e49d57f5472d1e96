#include "RoutingConnection.h"

#include "platform/AsciiText.h"
#include "platform/Error.h"

namespace tabulant::db {

std::optional<ProviderKind> ProviderKindOf(std::string_view connectionString) {
    using platform::StartsWithNoCase;
    if (StartsWithNoCase(connectionString, "Provider=Microsoft.ACE.OLEDB") ||
        StartsWithNoCase(connectionString, "Provider=Microsoft.Jet.OLEDB"))
        return ProviderKind::Access;
    if (StartsWithNoCase(connectionString, "Driver=")) return ProviderKind::Odbc;
    return std::nullopt;
}

void RoutingConnection::Open(std::string_view connectionString) {
    if (IsOpen())
        throw platform::Error(platform::errors::ObjectClosed,
                              "Operation is not allowed when the object is open.");
    const auto kind = ProviderKindOf(connectionString);
    if (!kind)
        throw platform::Error(platform::errors::ProviderNotFound,
                              "Provider cannot be found. It may not be properly installed.");
    std::unique_ptr<platform::Connection> inner = create_(*kind);
    inner->CursorLocation(CursorLocation());
    inner->Mode(Mode());
    inner->CommandTimeout(CommandTimeout());
    inner->ConnectionTimeout(ConnectionTimeout());
    inner_ = std::move(inner);
    inner_->Open(connectionString);
}

std::unique_ptr<platform::Cursor> RoutingConnection::Execute(std::string_view statement) {
    if (inner_) return inner_->Execute(statement);
    return opened().Execute(statement);
}

std::unique_ptr<platform::Cursor> RoutingConnection::OpenSchema(int schema) {
    return opened().OpenSchema(schema);
}

std::unique_ptr<platform::Cursor> RoutingConnection::OpenTableSchema(int schema,
                                                                     std::string_view table) {
    return opened().OpenTableSchema(schema, table);
}

void RoutingConnection::Close() { opened().Close(); }

platform::Connection& RoutingConnection::opened() {
    if (!IsOpen())
        throw platform::Error(platform::errors::ObjectClosed,
                              "Operation is not allowed when the object is closed.");
    return *inner_;
}

} // namespace tabulant::db
