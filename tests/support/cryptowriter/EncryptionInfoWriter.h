#pragma once

#include "db/crypto/EncryptionInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db::crypto {

// The bytes that belong at kEncryptionInfoOffset for `info` (int16 length first). Throws
// std::invalid_argument for schemes that carry no such block (None, JetPageEncoding).
std::vector<std::uint8_t> WriteEncryptionInfo(const EncryptionInfo& info);

// The XML descriptor of agile encryption as Access writes it, with the same element order.
std::string WriteAgileXml(const AgileInfo& info);

} // namespace tabulant::db::crypto
