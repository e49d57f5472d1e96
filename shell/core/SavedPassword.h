#pragma once

#include "platform/Keyring.h"
#include "platform/SettingsStore.h"

#include <string>
#include <string_view>

namespace tabulant::shell {

// Where the window keeps the PostgreSQL password: in the desktop's keyring, under the account it
// belongs to, when a keyring takes it; otherwise in the settings file (readable by its owner
// only), as without a keyring. Without a keyring (nullptr) only the file is used.
class SavedPassword {
public:
    SavedPassword(platform::SettingsStore& settings, platform::Keyring* keyring)
        : settings_(settings), keyring_(keyring) {}

    // A password in the settings file (from an older version, or one the keyring refused), moved
    // into the keyring (and out of the file) when the keyring takes it; otherwise the keyring's.
    std::string Load(const platform::ServerAccount& account);
    // Keeps the account's password: in the keyring, and then the file holds none; in the file
    // where the keyring refuses it (absent, locked, the unlock cancelled).
    void Save(const platform::ServerAccount& account, std::string_view password);

private:
    platform::SettingsStore& settings_;
    platform::Keyring* keyring_;
};

} // namespace tabulant::shell
