#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto {

// The longest password the Office schemes allow, in UTF-16 code units.
inline constexpr std::size_t kMaxPasswordLength = 255;

// UTF-8 to UTF-16; no value for malformed UTF-8 (overlong forms, surrogates, truncation).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// The password as the key derivations hash it: UTF-16LE, no terminator.
std::vector<std::uint8_t> PasswordBytes(std::u16string_view password);

} // namespace tabulant::db::crypto
