#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulant::platform {

// Hexadecimal digits for bytes and numbers: bytea literals, COPY fields, checksums, digests and
// escapes, written and read the one way everywhere.

enum class HexCase { Lower, Upper };

// Appends each byte as two digits, high half first. Sized once: bytea values run to megabytes.
inline void AppendHex(std::string_view bytes, std::string& out, HexCase letters = HexCase::Lower) {
    const char* digits = letters == HexCase::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::size_t at = out.size();
    out.resize(at + 2 * bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out[at++] = digits[b >> 4];
        out[at++] = digits[b & 0xF];
    }
}

// Appends the lowest `count` digits of a number (zeros in front), most significant first.
inline void AppendHexNumber(std::uint64_t value, int count, std::string& out) {
    for (int shift = 4 * (count - 1); shift >= 0; shift -= 4)
        out += "0123456789abcdef"[(value >> shift) & 0xF];
}

// The value of one digit of either case; -1 for any other character.
constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace tabulant::platform
