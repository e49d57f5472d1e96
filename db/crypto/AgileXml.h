#pragma once

#include "db/crypto/EncryptionInfo.h"

#include <string>
#include <string_view>

namespace tabulant::db::crypto {

// The XML descriptor of agile encryption: its keyData element and the password key encryptor.
// Parse throws platform::Error ("Unsupported encryption: ..." for a cipher, chaining, hash or key
// encryptor this library does not handle, "Damaged encryption information: ..." for missing or
// malformed values).
AgileInfo ParseAgileXml(std::string_view xml);

} // namespace tabulant::db::crypto
