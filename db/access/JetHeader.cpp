#include "JetHeader.h"

#include "LittleEndian.h"
#include "TextDecoder.h"

#include "db/crypto/Rc4.h"
#include "platform/Wipe.h"

#include <cmath>
#include <cstring>

namespace tabulant::db {

namespace {

// The low 32 bits of the whole days of the creation date, which Jet 4 uses as the password mask.
std::uint32_t passwordMask(double creationDate) {
    if (!std::isfinite(creationDate)) return 0;
    double days = std::fmod(std::trunc(creationDate), 4294967296.0);
    if (days < 0) days += 4294967296.0;
    return static_cast<std::uint32_t>(days);
}

static_assert(Jet3Format.headerBlockSize <= 128 && Jet4Format.headerBlockSize <= 128);
static_assert(Jet3Format.passwordSize <= sizeof JetHeader::password &&
              Jet4Format.passwordSize <= sizeof JetHeader::password);

} // namespace

bool HasJetSignature(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t magic[4] = {0x00, 0x01, 0x00, 0x00};
    return size >= 20 && std::memcmp(data, magic, 4) == 0 &&
           (std::memcmp(data + 4, "Standard Jet DB", 16) == 0 ||
            std::memcmp(data + 4, "Standard ACE DB", 16) == 0);
}

std::optional<JetHeader> ReadJetHeader(const std::uint8_t* data, std::size_t size) {
    if (size < JetHeader::MinimumSize || !HasJetSignature(data, size)) return std::nullopt;
    JetHeader h;
    h.version = data[0x14];
    if (h.version > 6) return std::nullopt;
    const JetFormat& f = h.Format();

    std::uint8_t block[128];
    const std::size_t blockSize = f.headerBlockSize;
    std::memcpy(block, data + 0x18, blockSize);
    static const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    crypto::Rc4(key).Apply({block, blockSize});
    auto at = [&](std::size_t offset) { return block + (offset - 0x18); };

    h.codePage = le::u16(at(0x3C));
    h.encodingKey = le::u32(at(0x3E));
    const std::uint32_t mask = f.passwordMasked ? passwordMask(le::f64(at(0x72))) : 0;
    for (std::size_t i = 0; i < f.passwordSize; ++i)
        h.password[i] = static_cast<std::uint8_t>(at(0x42)[i] ^ (mask >> (8 * (i % 4))));
    platform::Wipe(block); // it holds the password too
    return h;
}

std::string JetHeader::StoredPassword(TextDecoder& codePageText) const {
    std::string out;
    // Room for the longest password at once: a string that grows leaves its old copy behind.
    out.reserve(3 * sizeof password);
    const JetFormat& f = Format();
    std::size_t n = 0;
    if (f.codePageText) {
        while (n < f.passwordSize && password[n] != 0) ++n;
        codePageText.Append(password, n, out);
    } else {
        while (n + 1 < f.passwordSize && (password[n] != 0 || password[n + 1] != 0)) n += 2;
        TextDecoder::AppendUtf16(password, n, out);
    }
    return out;
}

} // namespace tabulant::db
