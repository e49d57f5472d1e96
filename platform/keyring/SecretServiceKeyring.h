#pragma once

#include "platform/Keyring.h"

namespace tabulant::platform {

// The keyring through the desktop's Secret Service (GNOME Keyring, KWallet) with libsecret, on
// the session bus of DBUS_SESSION_BUS_ADDRESS. Items are stored in the default collection under
// the attributes server, port, user and database.
class SecretServiceKeyring final : public Keyring {
public:
    std::optional<std::string> Find(const ServerAccount& account) override;
    bool Store(const ServerAccount& account, std::string_view password) override;
};

} // namespace tabulant::platform
