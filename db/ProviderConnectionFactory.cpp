#include "ProviderConnectionFactory.h"

#include "RoutingConnection.h"
#include "access/AccessConnection.h"
#include "odbc/OdbcConnection.h"

namespace tabulant::db {

std::unique_ptr<platform::Connection> ProviderConnectionFactory::CreateConnection() {
    return std::make_unique<RoutingConnection>(
        [events = events_](ProviderKind kind) -> std::unique_ptr<platform::Connection> {
            if (kind == ProviderKind::Access) return CreateAccessConnection(events);
            return CreateOdbcConnection();
        });
}

} // namespace tabulant::db
