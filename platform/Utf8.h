#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tabulant::platform {

// U+FFFD, written in place of what cannot be decoded.
inline constexpr char32_t ReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of one code point.
void AppendUtf8(char32_t codePoint, std::string& out);

// Decodes the code point that starts at text[i] and moves i past it. Overlong forms, surrogates,
// values beyond U+10FFFF and cut sequences give ReplacementCharacter and consume one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& i);

// Lower case of a UTF-8 text, letter by letter (not only ASCII), independent of the process
// locale.
std::string LowerCase(std::string_view text);

} // namespace tabulant::platform
