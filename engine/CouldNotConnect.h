#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// What the user is told when PostgreSQL cannot be reached: the program's sentence, an empty line
// and the reason as the driver gave it. "Start Converting" and "Test Connection" say the same.
inline std::string CouldNotConnectText(std::string_view reason) {
    std::string text = "Could not connect. Please check with your administrator.";
    if (!reason.empty()) text.append("\r\r").append(reason);
    return text;
}

} // namespace tabulant::engine
