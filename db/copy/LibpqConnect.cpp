#include "LibpqConnect.h"

#include "platform/Error.h"
#include "platform/Wipe.h"

#include <libpq-fe.h>

#include <array>
#include <string>

namespace tabulant::db {

pg_conn* ConnectLibpq(const ConnectionFields& fields) {
    std::string host = fields.PostgreSQLServer(), port = fields.PostgreSQLPort();
    std::string user = fields.PostgreSQLUser(), password = fields.PostgreSQLPassword();
    std::string database = fields.PostgreSQLDatabase();
    const platform::WipeOnExit forgetPassword(password);
    std::array<const char*, 9> keys{};
    std::array<const char*, 9> values{};
    std::size_t n = 0;
    const auto add = [&](const char* key, const std::string& value) {
        if (value.empty()) return;
        keys[n] = key;
        values[n++] = value.c_str();
    };
    add("host", host);
    add("port", port);
    add("user", user);
    add("password", password);
    add("dbname", database);
    keys[n] = "client_encoding";
    values[n++] = "UTF8";
    keys[n] = "fallback_application_name";
    values[n++] = "tabulant";
    pg_conn* conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        std::string reason = conn ? PQerrorMessage(conn) : "out of memory";
        while (!reason.empty() && reason.back() == '\n') reason.pop_back();
        if (conn) PQfinish(conn);
        throw platform::Error(-1, "SQLException: [08001] " + reason);
    }
    return conn;
}

} // namespace tabulant::db
