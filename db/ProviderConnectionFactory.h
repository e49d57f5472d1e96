#pragma once

#include "platform/Connection.h"
#include "platform/EventLoop.h"

#include <memory>

namespace tabulant::db {

// The real "ADODB.Connection": the provider is chosen when the connection is opened, from the
// connection string: "Provider=Microsoft.ACE.OLEDB.12.0;" or "PROVIDER=Microsoft.Jet.OLEDB.4.0;"
// open the Access reader, "Driver=" opens an ODBC connection.
class ProviderConnectionFactory final : public platform::ConnectionFactory {
public:
    // `events`, when given, must outlive every connection created: the Access reader lets
    // pending events run there during long reads.
    explicit ProviderConnectionFactory(platform::EventLoop* events = nullptr) : events_(events) {}
    std::unique_ptr<platform::Connection> CreateConnection() override;

private:
    platform::EventLoop* events_;
};

} // namespace tabulant::db
