#include "WideText.h"

#include <cstdint>

namespace tabulant::db {

namespace {

constexpr char32_t Replacement = 0xFFFD;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one code point at text[i] and advances i; rejects overlong forms, surrogates and
// values beyond U+10FFFF, consuming one byte for a malformed sequence.
char32_t decodeUtf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    // Sequence length, payload bits of the lead byte, and the least code point of that length.
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return Replacement;
    }
    if (i + length > text.size()) {
        ++i;
        return Replacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (!isContinuation(byte(i + k))) {
            ++i;
            return Replacement;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += length;
    return cp;
}

void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

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
        const char32_t cp = decodeUtf8(utf8, i);
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
                cp = Replacement;
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            cp = Replacement;
        }
        appendUtf8(cp, out);
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
