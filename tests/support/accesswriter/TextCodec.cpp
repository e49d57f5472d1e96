#include "TextCodec.h"

#include "AccessWriter.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace tabulant::accesswriter {

std::u16string utf16FromUtf8(std::string_view s) {
    std::optional<std::u16string> units = platform::Utf8ToUtf16(s);
    if (!units) throw AccessWriterError("malformed UTF-8 in text value");
    return std::move(*units);
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
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // A header may name no code page (0) or one unknown here; ASCII reads the same in all.
        if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
            return Bytes(utf8.begin(), utf8.end());
        throw AccessWriterError("code page " + std::to_string(codePage) + " is not available");
    }
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
