#include "SecretServiceKeyring.h"

#include <libsecret/secret.h>

#include <iterator>
#include <string>

namespace tabulant::platform {

namespace {

const SecretSchema* schema() {
    static const SecretSchema s = [] {
        SecretSchema x{};
        x.name = "com.quorvane.Tabulant.PostgreSQL";
        x.flags = SECRET_SCHEMA_NONE;
        const char* names[] = {"server", "port", "user", "database"};
        for (std::size_t i = 0; i < std::size(names); ++i)
            x.attributes[i] = {names[i], SECRET_SCHEMA_ATTRIBUTE_STRING};
        return x;
    }();
    return &s;
}

} // namespace

std::optional<std::string> SecretServiceKeyring::Find(const ServerAccount& a) {
    GError* error = nullptr;
    gchar* found = secret_password_lookup_sync(
        schema(), nullptr, &error, "server", a.server.c_str(), "port", a.port.c_str(), "user",
        a.user.c_str(), "database", a.database.c_str(), nullptr);
    if (error) g_error_free(error);
    if (!found) return std::nullopt;
    std::string password(found);
    secret_password_free(found); // overwrites the copy libsecret held
    return password;
}

bool SecretServiceKeyring::Store(const ServerAccount& a, std::string_view password) {
    const std::string label = "PostgreSQL password for " + a.user + "@" + a.server + ":" + a.port +
                              "/" + a.database + " (Tabulant)";
    const std::string value(password);
    GError* error = nullptr;
    const gboolean stored = secret_password_store_sync(
        schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), value.c_str(), nullptr, &error,
        "server", a.server.c_str(), "port", a.port.c_str(), "user", a.user.c_str(), "database",
        a.database.c_str(), nullptr);
    if (error) g_error_free(error);
    return stored;
}

} // namespace tabulant::platform
