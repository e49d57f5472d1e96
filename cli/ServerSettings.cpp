#include "ServerSettings.h"

#include "db/PasswordFile.h"
#include "shell/core/SavedSettings.h"

namespace tabulant::cli {

namespace {

struct Source {
    const std::optional<std::string>& option;
    const char* optionName;
    shell::SavedText saved;
    const char* variable;
};

Chosen choose(const Source& s, const platform::SettingsStore& saved, const Environment& env) {
    if (s.option) return {*s.option, s.optionName};
    if (std::string value = saved.Read(s.saved.key, ""); !value.empty())
        return {std::move(value), "saved settings"};
    if (const char* value = env(s.variable); value && *value) return {value, s.variable};
    return {s.saved.defaultValue, "default"};
}

} // namespace

ServerSettings ChooseServerSettings(const CommandLine& line, const platform::SettingsStore& saved,
                                    const Environment& environment, platform::Keyring* keyring) {
    namespace keys = shell::saved;
    ServerSettings s;
    s.server =
        choose({line.server, "--server", keys::PostgreSQLServer, "PGHOST"}, saved, environment);
    s.port = choose({line.port, "--port", keys::PostgreSQLPort, "PGPORT"}, saved, environment);
    s.user = choose({line.user, "--user", keys::PostgreSQLUser, "PGUSER"}, saved, environment);
    s.database = choose({line.database, "--database", keys::PostgreSQLDatabase, "PGDATABASE"},
                        saved, environment);

    if (const char* value = environment("PGPASSWORD"); value && *value) {
        s.password = Chosen{value, "PGPASSWORD"};
        return s;
    }
    if (keyring) {
        if (auto kept =
                keyring->Find({s.server.value, s.port.value, s.user.value, s.database.value})) {
            s.password = Chosen{std::move(*kept), "keyring"};
            return s;
        }
    }
    const auto savedValue = [&](shell::SavedText key) {
        return saved.Read(key.key, key.defaultValue);
    };
    const std::string savedPassword = savedValue(keys::PostgreSQLPassword);
    if (!savedPassword.empty() && s.server.value == savedValue(keys::PostgreSQLServer) &&
        s.port.value == savedValue(keys::PostgreSQLPort) &&
        s.user.value == savedValue(keys::PostgreSQLUser)) {
        s.password = Chosen{savedPassword, "saved settings"};
        return s;
    }
    const std::string file = db::PasswordFilePath();
    db::PasswordFileAnswer found =
        db::LookUpPassword(file, {s.server.value, s.port.value, s.database.value, s.user.value});
    s.passwordFileWarning = std::move(found.warning);
    if (found.password) s.password = Chosen{std::move(*found.password), file};
    return s;
}

} // namespace tabulant::cli
