#pragma once

#include "db/Services.h"
#include "platform/StringList.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::engine {

// The database operations of other modules that the conversion run calls. DefaultRunDatabase()
// gives the Access and PostgreSQL modules' own; a test may put its own in place of any of them.
struct RunDatabase {
    // Why a connection with the current settings does not open; nothing when it does.
    std::function<std::optional<std::string>(const db::Services&)> postgreSQLConnectFailure;
    // The tables of every schema, or of the one named (empty: every schema).
    std::function<void(const db::Services&, platform::StringList&, std::string_view schema)>
        fillPostgreSQLTableList;
    std::function<void(const db::Services&, platform::StringList&, std::string_view path)>
        fillAccessTableList;
    std::function<std::string(const db::ConnectionFields&, std::string_view dataSource,
                              std::string_view password)>
        accessConnectionString;
    std::function<std::string(const db::ConnectionFields&)> postgreSQLConnectionString;
};

RunDatabase DefaultRunDatabase();

} // namespace tabulant::engine
