#pragma once

#include "platform/Connection.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace tabulant::db {

// What a connection string asks for: "Provider=Microsoft.ACE.OLEDB…" or
// "PROVIDER=Microsoft.Jet.OLEDB…" an Access file, "Driver=…" an ODBC data source.
enum class ProviderKind { Access, Odbc };
std::optional<ProviderKind> ProviderKindOf(std::string_view connectionString);

// "ADODB.Connection" before it knows its provider: holds the properties until Open, then hands
// them and the string to a connection of the kind the string asks for, made by `create`. That
// connection is kept even when its Open fails, so later calls fail in its own way (the ODBC
// connection reports every failed Execute as an SQLException). A string of no known kind fails
// with errors::ProviderNotFound.
class RoutingConnection final : public platform::Connection {
public:
    using Create = std::function<std::unique_ptr<platform::Connection>(ProviderKind)>;
    explicit RoutingConnection(Create create) : create_(std::move(create)) {}

    void Open(std::string_view connectionString) override;
    std::unique_ptr<platform::Cursor> Execute(std::string_view statement) override;
    std::unique_ptr<platform::Cursor> OpenSchema(int schema) override;
    std::unique_ptr<platform::Cursor> OpenTableSchema(int schema, std::string_view table) override;
    void Close() override;
    bool IsOpen() const override { return inner_ && inner_->IsOpen(); }

private:
    platform::Connection& opened();

    Create create_;
    std::unique_ptr<platform::Connection> inner_;
};

} // namespace tabulant::db
