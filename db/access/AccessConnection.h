#pragma once

#include "platform/Connection.h"
#include "platform/EventLoop.h"

#include <memory>

namespace tabulant::db {

// A connection to an Access file (.mdb, .accdb) read with libmdb. Opened with the string of
// AccessConnectionString; Execute accepts "SELECT * FROM `T`" only. `events`, when given, must
// outlive the connection: long reads (counting a table's rows) let pending events run there.
std::unique_ptr<platform::Connection> CreateAccessConnection(platform::EventLoop* events = nullptr);

} // namespace tabulant::db
