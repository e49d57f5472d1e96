#include "CryptoErrors.h"

#include "platform/Error.h"

namespace tabulant::db::crypto {

void ThrowInvalidPassword() { throw platform::Error(kInvalidPasswordNumber, kInvalidPasswordText); }

void ThrowUnsupported(const std::string& what) {
    throw platform::Error(platform::errors::Generic, "Unsupported encryption: " + what);
}

void ThrowDamaged(const std::string& what) {
    throw platform::Error(platform::errors::Generic, "Damaged encryption information: " + what);
}

} // namespace tabulant::db::crypto
