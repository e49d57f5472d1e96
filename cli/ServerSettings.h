#pragma once

#include "CommandLine.h"
#include "platform/Keyring.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <optional>
#include <string>

namespace tabulant::cli {

// A server value and where it was found, so that --verbose can tell.
struct Chosen {
    std::string value;
    std::string from; // "--server", "saved settings", "PGHOST", "default", ...
};

// The five PostgreSQL values a conversion connects with.
struct ServerSettings {
    Chosen server, port, user, database;
    std::optional<Chosen> password;  // none found: the server may not want one, or it is asked
    std::string passwordFileWarning; // why the password file was passed over, if it was
};

// Reads an environment variable; null when unset.
using Environment = std::function<const char*(const char*)>;

// Each value from the command line; failing that, the window's saved setting when it is not
// empty; then the environment variable PostgreSQL's own tools read (PGHOST, PGPORT, PGUSER,
// PGDATABASE); then the window's default. The password: PGPASSWORD; the keyring's for the
// account (when `keyring` is given); the saved password when
// server, port and user are the saved ones (it belongs to that account only); the password file
// (PGPASSFILE or ~/.pgpass).
ServerSettings ChooseServerSettings(const CommandLine& line, const platform::SettingsStore& saved,
                                    const Environment& environment,
                                    platform::Keyring* keyring = nullptr);

} // namespace tabulant::cli
