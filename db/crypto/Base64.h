#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto {

// Standard base64 (RFC 4648, with padding) as the agile XML carries its binary values.
// Decode gives no value for text that is not base64; whitespace is not accepted.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text);
std::string Base64Encode(std::span<const std::uint8_t> bytes);

} // namespace tabulant::db::crypto
