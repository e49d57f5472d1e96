#include "InMemoryConnectionFactory.h"

#include "db/RoutingConnection.h"

namespace tabulant::fakes {

std::unique_ptr<platform::Connection> InMemoryConnectionFactory::CreateConnection() {
    if (createFailure) throw *createFailure;
    ++created;
    return std::make_unique<db::RoutingConnection>(
        [this](db::ProviderKind kind) -> std::unique_ptr<platform::Connection> {
            if (kind == db::ProviderKind::Access)
                return std::make_unique<InMemoryConnection>(access);
            if (postgresConnection) return postgresConnection();
            return std::make_unique<RecordingConnection>(postgres);
        });
}

} // namespace tabulant::fakes
