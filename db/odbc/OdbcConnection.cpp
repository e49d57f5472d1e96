#include "OdbcConnection.h"

#include "platform/Error.h"

namespace tabulant::db {

std::unique_ptr<platform::Connection> CreateOdbcConnection() {
    throw platform::Error(platform::errors::ProviderNotFound,
                          "Provider cannot be found. It may not be properly installed.");
}

} // namespace tabulant::db
