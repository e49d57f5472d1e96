#include "EncryptDatabase.h"

#include "EncryptionInfoWriter.h"
#include "VerifierSeal.h"
#include "db/crypto/Decryptors.h"
#include "db/crypto/HeaderBlock.h"
#include "db/crypto/Password.h"
#include "db/crypto/SchemeConstants.h"
#include "db/crypto/SecretBytes.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <climits>
#include <openssl/rand.h>
#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

constexpr std::size_t kPageSize = 4096;

class RandomSource {
public:
    explicit RandomSource(const EncryptionOptions& options) : fill_(options.random) {}

    std::vector<std::uint8_t> Bytes(std::size_t n) const {
        std::vector<std::uint8_t> out(n);
        if (fill_)
            fill_(out);
        else if (n > std::size_t(INT_MAX) || RAND_bytes(out.data(), int(n)) != 1)
            throw std::runtime_error("no random bytes available");
        return out;
    }

private:
    const std::function<void(std::span<std::uint8_t>)>& fill_;
};

AgileKeyInfo AgileKey(const EncryptionOptions& options, const RandomSource& random) {
    AgileKeyInfo key;
    key.hash = options.hash;
    key.keyBits = options.keyBits;
    key.blockSize = 16;
    key.hashSize = std::uint32_t(Digest::Size(options.hash));
    key.salt = random.Bytes(16);
    return key;
}

// Builds the encryption info, verifier included, for a new file.
EncryptionInfo NewInfo(const EncryptionOptions& options, Bytes password,
                       const RandomSource& random) {
    EncryptionInfo info;
    info.format = 2;
    info.scheme = options.scheme;
    info.versionMajor = 4;
    info.versionMinor = 2;
    BinaryKeyInfo& key = info.binary;
    key.algIdHash = kAlgSha1;
    key.keyBits = options.keyBits;
    switch (options.scheme) {
    case Scheme::Agile: {
        if (options.keyBits != 128 && options.keyBits != 192 && options.keyBits != 256)
            throw std::invalid_argument("agile needs a 128, 192 or 256-bit key");
        if (options.spinCount > 10'000'000)
            throw std::invalid_argument("spin count above 10,000,000");
        info.versionMinor = 4;
        info.agile.keyData = AgileKey(options, random);
        info.agile.passwordKey = AgileKey(options, random);
        info.agile.spinCount = options.spinCount;
        const SecretBytes intermediate(random.Bytes(options.keyBits / 8));
        SealAgile(info, password, random.Bytes(16), intermediate.view());
        return info;
    }
    case Scheme::Rc4Md5:
        info.versionMajor = 1;
        info.versionMinor = 1;
        key.algId = kAlgRc4;
        key.algIdHash = kAlgMd5;
        key.keyBits = 128;
        key.salt = random.Bytes(16);
        SealRc4(info, password, random.Bytes(16));
        return info;
    case Scheme::Rc4CryptoApi:
        if (options.keyBits < 40 || options.keyBits > 128 || options.keyBits % 8 != 0)
            throw std::invalid_argument("RC4 needs a 40 to 128-bit key");
        key.flags = options.keyBits == 40 ? kFlagCryptoApi : kFlagCryptoApi | kFlagDocProps;
        key.algId = kAlgRc4;
        key.providerType = 1;
        key.provider = options.keyBits == 40 ? "Microsoft Base Cryptographic Provider v1.0"
                                             : "Microsoft Enhanced Cryptographic Provider v1.0";
        key.salt = random.Bytes(16);
        SealRc4(info, password, random.Bytes(16));
        return info;
    case Scheme::StandardAes:
    case Scheme::NonStandardAes: {
        const std::uint32_t algId = options.keyBits == 128   ? kAlgAes128
                                    : options.keyBits == 192 ? kAlgAes192
                                    : options.keyBits == 256 ? kAlgAes256
                                                             : 0;
        if (algId == 0) throw std::invalid_argument("AES needs a 128, 192 or 256-bit key");
        key.flags = options.scheme == Scheme::StandardAes ? kFlagCryptoApi | kFlagAes
                                                          : kFlagCryptoApi | kFlagDocProps;
        key.algId = algId;
        key.providerType = 0x18;
        key.provider = "Microsoft Enhanced RSA and AES Cryptographic Provider";
        key.salt = random.Bytes(16);
        SealEcbAes(info, password, random.Bytes(16));
        return info;
    }
    case Scheme::None:
    case Scheme::JetPageEncoding:
        break;
    }
    throw std::invalid_argument("not an encryption scheme of ACE files");
}

} // namespace

std::vector<std::uint8_t> EncryptDatabase(std::span<const std::uint8_t> plainFile,
                                          std::string_view password,
                                          const EncryptionOptions& options) {
    if (plainFile.empty() || plainFile.size() % kPageSize != 0)
        throw std::invalid_argument("not a file of whole 4096-byte pages");
    if (plainFile[HeaderBlock::kFormatOffset] < 2)
        throw std::invalid_argument("only ACE files (format 2 and later) are encrypted this way");
    if (HeaderBlock::ReadEncodingKey(plainFile) != 0)
        throw std::invalid_argument("the file is already encrypted");
    const std::optional<std::u16string> utf16 = platform::Utf8ToUtf16(password);
    if (!utf16 || utf16->empty() || utf16->size() > kMaxPasswordLength)
        throw std::invalid_argument("the password must be 1 to 255 characters of valid UTF-8");

    const RandomSource random(options);
    const SecretBytes passwordBytes(PasswordBytes(*utf16));
    EncryptionInfo info = NewInfo(options, passwordBytes.view(), random);
    info.format = plainFile[HeaderBlock::kFormatOffset];
    while (info.encodingKey == 0) {
        const std::vector<std::uint8_t> k = random.Bytes(4);
        info.encodingKey = std::uint32_t(k[0]) | std::uint32_t(k[1]) << 8 |
                           std::uint32_t(k[2]) << 16 | std::uint32_t(k[3]) << 24;
        if (info.encodingKey == 0 && options.random)
            throw std::invalid_argument("the random source gave a zero encoding key");
    }

    const std::vector<std::uint8_t> block = WriteEncryptionInfo(info);
    if (kEncryptionInfoOffset + block.size() > kPageSize)
        throw std::invalid_argument("the encryption info does not fit into page 0");

    std::vector<std::uint8_t> out(plainFile.begin(), plainFile.end());
    std::span<std::uint8_t> page0(out.data(), kPageSize);
    HeaderBlock::WriteEncodingKey(page0, info.encodingKey);
    std::copy(block.begin(), block.end(), page0.begin() + kEncryptionInfoOffset);

    // Unlocking our own info proves the verifier before any page is written with it.
    const std::unique_ptr<PageDecryptor> cipher = Unlock(info, *utf16);
    for (std::size_t n = 1; n < out.size() / kPageSize; ++n)
        cipher->Encrypt(std::uint32_t(n), std::span(out).subspan(n * kPageSize, kPageSize));
    return out;
}

} // namespace tabulant::db::crypto
