#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto {

// The longest password the Office schemes allow, in UTF-16 code units.
inline constexpr std::size_t kMaxPasswordLength = 255;

// The password as the key derivations hash it: UTF-16LE, no terminator.
std::vector<std::uint8_t> PasswordBytes(std::u16string_view password);

} // namespace tabulant::db::crypto
