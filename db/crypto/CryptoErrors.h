#pragma once

#include <string>

namespace tabulant::db::crypto {

// The number Jet gives "Not a valid password."; the Access reader raises the same number for a
// wrong .mdb password.
inline constexpr long kInvalidPasswordNumber = 3031;
inline constexpr const char* kInvalidPasswordText = "Not a valid password.";

// platform::Error(kInvalidPasswordNumber, "Not a valid password.").
[[noreturn]] void ThrowInvalidPassword();
// platform::Error(errors::Generic, "Unsupported encryption: " + what).
[[noreturn]] void ThrowUnsupported(const std::string& what);
// platform::Error(errors::Generic, "Damaged encryption information: " + what).
[[noreturn]] void ThrowDamaged(const std::string& what);

} // namespace tabulant::db::crypto
