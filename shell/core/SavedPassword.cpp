#include "SavedPassword.h"

#include "SavedSettings.h"

namespace tabulant::shell {

std::string SavedPassword::Load(const platform::ServerAccount& account) {
    std::string inFile = settings_.Read(saved::PostgreSQLPassword.key, "");
    if (!keyring_) return inFile;
    // With a keyring the file holds a password only when the keyring refused it (or from an
    // older version): it is the newer one, and goes into the keyring now if it can.
    if (!inFile.empty()) {
        if (keyring_->Store(account, inFile)) settings_.Write(saved::PostgreSQLPassword.key, "");
        return inFile;
    }
    return keyring_->Find(account).value_or(std::string());
}

void SavedPassword::Save(const platform::ServerAccount& account, std::string_view password) {
    // No password is no entry, unless one is there to be emptied.
    const bool keep = keyring_ && (!password.empty() || keyring_->Find(account));
    const bool inKeyring = keep && keyring_->Store(account, password);
    settings_.Write(saved::PostgreSQLPassword.key, inKeyring ? std::string_view() : password);
}

} // namespace tabulant::shell
