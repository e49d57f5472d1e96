#include "TextDecoder.h"

#include "platform/Utf16.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace tabulant::db {

TextDecoder::TextDecoder(bool codePageText, int codePage) : codePageText_(codePageText) {
    if (!codePageText_) return;
    // Code page 0 or one iconv does not know: the Western default Access itself assumes.
    std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = codePage > 0 ? iconv_open("UTF-8", name.c_str()) : reinterpret_cast<iconv_t>(-1);
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_ = cd;
}

TextDecoder::~TextDecoder() {
    if (iconv_) iconv_close(static_cast<iconv_t>(iconv_));
}

void TextDecoder::Append(const std::uint8_t* data, std::size_t size, std::string& out) {
    if (codePageText_) {
        appendCodePage(data, size, out);
    } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        appendCompressed(data + 2, size - 2, out);
    } else {
        AppendUtf16(data, size, out);
    }
}

void TextDecoder::AppendUtf16(const std::uint8_t* data, std::size_t size, std::string& out) {
    platform::Utf16Joiner sink(out);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sink.Put(static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8)));
}

void TextDecoder::appendCompressed(const std::uint8_t* data, std::size_t size, std::string& out) {
    platform::Utf16Joiner sink(out);
    bool compressed = true;
    std::size_t i = 0;
    while (i < size) {
        if (data[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            sink.Put(data[i]);
            ++i;
        } else if (i + 1 < size) {
            sink.Put(static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8)));
            i += 2;
        } else {
            break;
        }
    }
}

void TextDecoder::appendCodePage(const std::uint8_t* data, std::size_t size, std::string& out) {
    std::size_t i = 0;
    // ASCII is the same in every code page Access used; only the rest goes through iconv.
    while (i < size && data[i] < 0x80) out += static_cast<char>(data[i++]);
    if (i == size) return;
    if (!iconv_) {
        for (; i < size; ++i) platform::AppendUtf8(data[i], out);
        return;
    }
    iconv_t cd = static_cast<iconv_t>(iconv_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(data + i));
    std::size_t inLeft = size - i;
    char buffer[1024];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // A byte the code page leaves undefined (0x81 in CP1252, say): Windows passes it
            // through as the character of the same number, which keeps it; do the same.
            platform::AppendUtf8(static_cast<unsigned char>(*in), out);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

} // namespace tabulant::db
