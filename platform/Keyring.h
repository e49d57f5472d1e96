#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The PostgreSQL account a password belongs to.
struct ServerAccount {
    std::string server, port, user, database;
};

// The desktop's keyring, where the PostgreSQL password is kept instead of the settings file.
// A keyring that is absent, locked or refuses answers "nothing found" and "not stored"; no call
// throws. Calls block until the keyring answers (it may ask the user to unlock it first).
// Thread: the caller's, one call at a time.
class Keyring {
public:
    virtual ~Keyring() = default;
    virtual std::optional<std::string> Find(const ServerAccount& account) = 0;
    // Replaces the account's password; false when the keyring could not keep it.
    virtual bool Store(const ServerAccount& account, std::string_view password) = 0;
};

} // namespace tabulant::platform
