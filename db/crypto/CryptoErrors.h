#pragma once

#include <string>

namespace tabulant::db::crypto {

// "Not a valid password." carries the number the Access reader gives a wrong .mdb password
// (0x80040E4D, the OLE DB error ADO reports for it), so callers see one error for both kinds of
// protected file.
inline constexpr long kInvalidPasswordNumber = -2147217843;
inline constexpr const char* kInvalidPasswordText = "Not a valid password.";

// platform::Error(kInvalidPasswordNumber, "Not a valid password.").
[[noreturn]] void ThrowInvalidPassword();
// platform::Error(errors::Generic, "Unsupported encryption: " + what).
[[noreturn]] void ThrowUnsupported(const std::string& what);
// platform::Error(errors::Generic, "Damaged encryption information: " + what).
[[noreturn]] void ThrowDamaged(const std::string& what);

} // namespace tabulant::db::crypto
