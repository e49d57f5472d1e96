#pragma once

#include "ConnectionFields.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"

namespace tabulant::db {

// What the Access, PostgreSQL and ODBCProvider modules need from around them. The references
// must outlive every call that is given them.
struct Services {
    platform::ConnectionFactory& connections;
    platform::Prompts& prompts;
    platform::EventLoop& events;
    const ConnectionFields& fields;
};

} // namespace tabulant::db
