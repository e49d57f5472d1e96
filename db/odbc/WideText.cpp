#include "WideText.h"

#include "platform/Utf8.h"

#include <cstdint>

namespace tabulant::db {

void AppendUtf16(std::string_view utf8, std::vector<SQLWCHAR>& out) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Plain ASCII runs are the bulk of every statement.
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char32_t cp = platform::DecodeUtf8(utf8, i);
        if (cp < 0x10000) {
            out.push_back(static_cast<SQLWCHAR>(cp));
        } else {
            out.push_back(static_cast<SQLWCHAR>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<SQLWCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
}

void AppendUtf8(const SQLWCHAR* utf16, std::size_t length, std::string& out) {
    for (std::size_t i = 0; i < length; ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 < length && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
                ++i;
            } else {
                cp = platform::ReplacementCharacter;
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            cp = platform::ReplacementCharacter;
        }
        platform::AppendUtf8(cp, out);
    }
}

std::vector<SQLWCHAR> ToUtf16(std::string_view utf8) {
    std::vector<SQLWCHAR> out;
    out.reserve(utf8.size());
    AppendUtf16(utf8, out);
    return out;
}

std::string ToUtf8(const SQLWCHAR* utf16, std::size_t length) {
    std::string out;
    out.reserve(length);
    AppendUtf8(utf16, length, out);
    return out;
}

} // namespace tabulant::db
