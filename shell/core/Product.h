#pragma once

#include <string_view>

namespace tabulant::shell {

inline constexpr std::string_view ProductName = "Tabulant";
inline constexpr std::string_view MakerName = "Quorvane";
inline constexpr std::string_view SupportEmail = "support@quorvane.com";
// The prefix every error location carries in the standard error report.
inline constexpr std::string_view LocationPrefix = "Varnolet2021/08/31.";

} // namespace tabulant::shell
