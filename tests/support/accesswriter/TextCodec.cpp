#include "TextCodec.h"

#include "AccessWriter.h"

#include <cerrno>
#include <iconv.h>

namespace tabulant::accesswriter {

std::u16string utf16FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = 0;
        int extra = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            throw AccessWriterError("malformed UTF-8 in text value");
        }
        if (i + extra >= s.size() && extra > 0)
            throw AccessWriterError("truncated UTF-8 in text value");
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) throw AccessWriterError("malformed UTF-8 in text value");
            cp = (cp << 6) | (d & 0x3F);
        }
        const bool overlong =
            (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw AccessWriterError("malformed UTF-8 in text value");
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

Bytes ucs2Bytes(const std::u16string& text) {
    Bytes b;
    b.reserve(text.size() * 2);
    for (char16_t u : text) append16(b, u);
    return b;
}

Bytes compressedUnicode(const std::u16string& text) {
    Bytes b{0xFF, 0xFE};
    bool single = true;
    for (char16_t u : text) {
        if ((u & 0xFF) == 0) return {};
        const bool wantSingle = (u >> 8) == 0;
        if (wantSingle != single) {
            b.push_back(0);
            single = wantSingle;
        }
        if (single) {
            b.push_back(static_cast<std::uint8_t>(u));
        } else {
            append16(b, u);
        }
    }
    if (b.size() >= text.size() * 2) return {};
    return b;
}

Bytes codePageBytes(std::string_view utf8, std::uint16_t codePage) {
    const std::string target = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw AccessWriterError("code page " + std::to_string(codePage) + " is not available");
    Bytes out(utf8.size() * 2 + 4);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw AccessWriterError("text has characters outside code page " +
                                std::to_string(codePage));
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace tabulant::accesswriter
