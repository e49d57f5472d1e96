#pragma once

#include "platform/Connection.h"

#include <memory>

namespace tabulant::db {

// The real "ADODB.Connection": the provider is chosen when the connection is opened, from the
// connection string: "Provider=Microsoft.ACE.OLEDB.12.0;" or "PROVIDER=Microsoft.Jet.OLEDB.4.0;"
// open the Access reader, "Driver=" opens an ODBC connection.
class ProviderConnectionFactory final : public platform::ConnectionFactory {
public:
    std::unique_ptr<platform::Connection> CreateConnection() override;
};

} // namespace tabulant::db
