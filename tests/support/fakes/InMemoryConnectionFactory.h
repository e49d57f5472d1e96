#pragma once

#include "InMemoryConnection.h"
#include "RecordingConnection.h"

#include <functional>
#include <optional>

namespace tabulant::fakes {

// One factory for both sides of a conversion. A connection it creates decides what it is when
// opened, as the program's own does (db::RoutingConnection): an Access connection string opens
// `access`, a "Driver=" string opens `postgres` (or, when `postgresConnection` is set, a
// connection it makes, such as a real ODBC connection to a test server). Properties set before
// Open are carried over.
class InMemoryConnectionFactory final : public platform::ConnectionFactory {
public:
    InMemoryDatabase access;
    RecordingServer postgres;
    std::function<std::unique_ptr<platform::Connection>()> postgresConnection;
    std::optional<platform::Error> createFailure; // when set, CreateConnection throws it
    int created = 0;

    std::unique_ptr<platform::Connection> CreateConnection() override;
};

} // namespace tabulant::fakes
