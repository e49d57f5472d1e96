#pragma once

#include "platform/Connection.h"

#include <memory>

namespace tabulant::db {

// A connection to an Access file (.mdb, .accdb) read with libmdb. Opened with the string of
// AccessConnectionString; Execute accepts "SELECT * FROM `T`" only.
std::unique_ptr<platform::Connection> CreateAccessConnection();

} // namespace tabulant::db
