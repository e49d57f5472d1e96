#pragma once

#include "db/crypto/Decryptors.h"
#include "db/crypto/EncryptionInfo.h"

namespace tabulant::db::crypto {

// The counterparts of Unlock*: fill the encrypted verifier of `info` for a new file from the
// caller's random values, so that Unlock* with the same password (UTF-16LE bytes) accepts it.
// Values of the wrong size throw std::invalid_argument.
void SealRc4(EncryptionInfo& info, Bytes password, Bytes verifier);
void SealEcbAes(EncryptionInfo& info, Bytes password, Bytes verifier);
void SealAgile(EncryptionInfo& info, Bytes password, Bytes verifierHashInput, Bytes keyValue);

} // namespace tabulant::db::crypto
