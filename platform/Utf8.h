#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The program's texts are UTF-8. These are the one decoder and encoder of it; Utf16.h builds the
// UTF-16 conversions on them.

// U+FFFD, written in place of what cannot be decoded.
inline constexpr char32_t ReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of one code point.
void AppendUtf8(char32_t codePoint, std::string& out);

// Decodes the code point that starts at text[i] and moves i past it. No value for a malformed
// sequence (a stray continuation byte, a cut sequence, an overlong form, a surrogate, a value
// beyond U+10FFFF); i then moves past its first byte only, so the next byte starts afresh.
std::optional<char32_t> DecodeUtf8Strict(std::string_view text, std::size_t& i);

// DecodeUtf8Strict with ReplacementCharacter for a malformed sequence.
inline char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    return DecodeUtf8Strict(text, i).value_or(ReplacementCharacter);
}

// Lower case of a UTF-8 text, letter by letter (not only ASCII) and independent of the process
// locale. A byte that is not part of a well-formed sequence stays as it is.
std::string LowerCase(std::string_view text);

} // namespace tabulant::platform
