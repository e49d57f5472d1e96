#include "FileHeader.h"

#include "Rc4.h"
#include "TextCodec.h"

#include <cmath>
#include <cstring>

namespace tabulant::accesswriter {

namespace {
constexpr std::uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr std::uint32_t kHeaderBlock = 0x18;
} // namespace

std::uint32_t passwordMask(double creationDate) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(creationDate)));
}

Bytes fileHeader(const WriterOptions& options, const FormatLayout& layout) {
    Bytes p(layout.pageSize, 0);
    p[1] = 0x01;
    const char* engine = options.format == Format::Jet3 || options.format == Format::Jet4
                             ? "Standard Jet DB"
                             : "Standard ACE DB";
    std::memcpy(&p[4], engine, std::strlen(engine) + 1);
    put32(&p[0x14], static_cast<std::uint32_t>(options.format));

    put16(&p[0x3C], options.codePage);
    put32(&p[0x3E], options.pageEncodingKey);
    if (layout.jet3) {
        const Bytes pw = codePageBytes(options.password, options.codePage);
        if (pw.size() > layout.passwordLength)
            throw AccessWriterError("password longer than 20 bytes");
        std::copy(pw.begin(), pw.end(), p.begin() + 0x42);
        put16(&p[0x3A], 0x0409);
    } else {
        const std::u16string units = utf16FromUtf8(options.password);
        if (units.size() * 2 > layout.passwordLength)
            throw AccessWriterError("password longer than 20 characters");
        Bytes pw = ucs2Bytes(units);
        pw.resize(layout.passwordLength, 0);
        std::uint8_t mask[4];
        put32(mask, passwordMask(options.creationDate));
        for (std::size_t i = 0; i < pw.size(); ++i) p[0x42 + i] = pw[i] ^ mask[i % 4];
        put32(&p[0x6E], 0x0409);
        std::uint64_t bits;
        std::memcpy(&bits, &options.creationDate, 8);
        put64(&p[0x72], bits);
    }
    rc4Apply(kHeaderKey, 4, &p[kHeaderBlock], layout.encryptedHeaderLength);
    return p;
}

} // namespace tabulant::accesswriter
