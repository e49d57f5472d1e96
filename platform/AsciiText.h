#pragma once

#include <string_view>

namespace tabulant::platform {

// True when `text` begins with `prefix`, ASCII letters compared without regard to case (for
// keywords of connection strings, catalogue names and the like; not for user text).
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

} // namespace tabulant::platform
