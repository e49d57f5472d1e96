#include "AgileXml.h"
#include "ByteReader.h"
#include "CryptoErrors.h"
#include "EncryptionInfo.h"
#include "HeaderBlock.h"
#include "SchemeConstants.h"

#include <string_view>

namespace tabulant::db::crypto {

namespace {

std::string Version(std::uint16_t major, std::uint16_t minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string Hex(std::uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "0x";
    bool started = false;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned digit = (value >> shift) & 0xF;
        if (digit || started || shift == 0) out += kDigits[digit], started = true;
    }
    return out;
}

// The CSP name: UTF-16LE up to its terminator. Only ever ASCII in practice; anything else is
// shown as '?' since the name serves messages alone.
std::string ProviderName(std::span<const std::uint8_t> bytes) {
    std::string name;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        if (unit == 0) break;
        name += unit < 0x80 ? char(unit) : '?';
    }
    return name;
}

void ReadVerifier(ByteReader& r, BinaryKeyInfo& key, bool aes) {
    const std::uint32_t saltSize = r.U32("the salt size");
    if (saltSize != 16) ThrowDamaged("salt size " + std::to_string(saltSize));
    key.salt = r.Bytes(16, "the salt");
    key.encryptedVerifier = r.Bytes(16, "the verifier");
    const std::uint32_t hashSize = r.U32("the verifier hash size");
    if (hashSize != 20) ThrowDamaged("verifier hash size " + std::to_string(hashSize));
    // AES stores the 20-byte SHA-1 padded to whole blocks.
    key.encryptedVerifierHash = r.Bytes(aes ? 32 : 20, "the verifier hash");
}

Scheme ReadBinary(ByteReader& r, const std::string& version, BinaryKeyInfo& key) {
    key.flags = r.U32("the flags");
    const std::uint32_t headerSize = r.U32("the header size");
    if (headerSize < 32) ThrowDamaged("header size " + std::to_string(headerSize));
    ByteReader header(r.Take(headerSize, "the header"));
    header.U32("the header flags");
    header.U32("the extra size");
    key.algId = header.U32("the cipher");
    key.algIdHash = header.U32("the hash");
    key.keyBits = header.U32("the key size");
    key.providerType = header.U32("the provider type");
    header.U32("the header");
    header.U32("the header");
    key.provider = ProviderName(header.Take(header.remaining(), "the provider name"));

    if (key.flags & kFlagExternal) ThrowUnsupported("extensible (version " + version + ")");
    if (key.algId == 0) key.algId = (key.flags & kFlagAes) ? kAlgAes128 : kAlgRc4;
    if (key.algIdHash == 0) key.algIdHash = kAlgSha1;
    if (key.algIdHash != kAlgSha1)
        ThrowUnsupported(key.provider + ", hash " + Hex(key.algIdHash) + " (version " + version +
                         ")");

    if (key.algId == kAlgRc4) {
        if (key.keyBits == 0)
            key.keyBits = key.provider.find(" Base ") != std::string::npos ? 40 : 128;
        if (key.keyBits < 40 || key.keyBits > 128 || key.keyBits % 8 != 0)
            ThrowDamaged("RC4 key size " + std::to_string(key.keyBits));
        ReadVerifier(r, key, false);
        return Scheme::Rc4CryptoApi;
    }
    const std::uint32_t aesBits = AesKeyBits(key.algId);
    if (aesBits == 0)
        ThrowUnsupported(key.provider + ", cipher " + Hex(key.algId) + " (version " + version +
                         ")");
    if (key.keyBits == 0) key.keyBits = aesBits;
    if (key.keyBits != aesBits) ThrowDamaged("AES key size " + std::to_string(key.keyBits));
    ReadVerifier(r, key, true);
    return (key.flags & kFlagAes) ? Scheme::StandardAes : Scheme::NonStandardAes;
}

void ReadOfficeInfo(std::span<const std::uint8_t> bytes, EncryptionInfo& info) {
    ByteReader r(bytes);
    info.versionMajor = r.U16("the version");
    info.versionMinor = r.U16("the version");
    const std::uint16_t major = info.versionMajor;
    const std::uint16_t minor = info.versionMinor;
    const std::string version = Version(major, minor);
    if (major == 4 && minor == 4) {
        const std::uint32_t reserved = r.U32("the agile marker");
        if (reserved != kAgileReserved) ThrowDamaged("agile marker " + Hex(reserved));
        const auto xml = r.Take(r.remaining(), "the XML descriptor");
        info.agile = ParseAgileXml({reinterpret_cast<const char*>(xml.data()), xml.size()});
        info.scheme = Scheme::Agile;
    } else if (major == 1 && minor == 1) {
        BinaryKeyInfo& key = info.binary;
        key.algId = kAlgRc4;
        key.algIdHash = kAlgMd5;
        key.keyBits = 128;
        key.salt = r.Bytes(16, "the salt");
        key.encryptedVerifier = r.Bytes(16, "the verifier");
        key.encryptedVerifierHash = r.Bytes(16, "the verifier hash");
        info.scheme = Scheme::Rc4Md5;
    } else if (minor == 2 && major >= 2 && major <= 4) {
        info.scheme = ReadBinary(r, version, info.binary);
    } else if (minor == 3 && (major == 3 || major == 4)) {
        ThrowUnsupported("extensible (version " + version + ")");
    } else {
        ThrowUnsupported("version " + version);
    }
}

} // namespace

EncryptionInfo ReadEncryption(std::span<const std::uint8_t> page0) {
    EncryptionInfo info;
    info.encodingKey = HeaderBlock::ReadEncodingKey(page0);
    info.format = page0[HeaderBlock::kFormatOffset];
    if (info.encodingKey == 0) return info;
    if (info.format < 2) {
        info.scheme = Scheme::JetPageEncoding;
        return info;
    }
    ByteReader r(page0.subspan(std::min(page0.size(), kEncryptionInfoOffset)));
    const std::uint16_t length = r.U16("the encryption info length");
    if (length < 4) ThrowDamaged("length " + std::to_string(length));
    ReadOfficeInfo(r.Take(length, "the encryption info"), info);
    return info;
}

std::string SchemeName(const EncryptionInfo& info) {
    const std::string version = " (version " + Version(info.versionMajor, info.versionMinor) + ")";
    const std::string bits = std::to_string(info.binary.keyBits) + "-bit";
    switch (info.scheme) {
    case Scheme::None:
        return "none";
    case Scheme::JetPageEncoding:
        return "Jet page encoding";
    case Scheme::Rc4Md5:
        return "RC4 MD5" + version;
    case Scheme::Rc4CryptoApi:
        return "RC4 CryptoAPI " + bits + version;
    case Scheme::StandardAes:
        return "standard AES " + bits + version;
    case Scheme::NonStandardAes:
        return "non-standard AES " + bits + version;
    case Scheme::Agile:
        return "agile AES-" + std::to_string(info.agile.keyData.keyBits) + "/" +
               std::string(Digest::Name(info.agile.keyData.hash)) + version;
    }
    return "unknown";
}

} // namespace tabulant::db::crypto
