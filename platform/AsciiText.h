#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tabulant::platform {

// ASCII letter case, for keywords of connection strings and statements, catalogue and field
// names and the like: only A to Z change, every other byte (UTF-8 sequences included) stays as it
// is, whatever the process locale says. Not for user text; LowerCase in Utf8.h is.

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline std::string AsciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// True when `text` begins with `prefix`, letter case aside.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// The first (or, with `last`, the final) place where `key` stands in `text`, letter case aside;
// npos when it does not.
constexpr std::size_t FindNoCase(std::string_view text, std::string_view key, bool last = false) {
    if (key.size() > text.size()) return std::string_view::npos;
    const std::size_t places = text.size() - key.size() + 1;
    for (std::size_t n = 0; n < places; ++n) {
        const std::size_t at = last ? places - 1 - n : n;
        if (EqualsNoCase(text.substr(at, key.size()), key)) return at;
    }
    return std::string_view::npos;
}

} // namespace tabulant::platform
