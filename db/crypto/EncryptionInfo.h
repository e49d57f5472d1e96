#pragma once

#include "db/crypto/Digest.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tabulant::db::crypto {

// How the pages after page 0 are stored.
enum class Scheme {
    None,            // plain pages
    JetPageEncoding, // .mdb "encoded" database: RC4 keyed by the header key XOR the page number
    Rc4Md5,          // Office RC4, version 1.1 (MD5 key derivation)
    Rc4CryptoApi,    // Office RC4 CryptoAPI, SHA-1, 40 to 128 bit keys
    StandardAes,     // Office standard AES: SHA-1 key derivation with 50,000 rounds, AES-ECB
    NonStandardAes,  // the Access variant of the above without the AES flag and with 0 rounds
    Agile,           // Office agile encryption: XML descriptor, AES-CBC, any SHA hash
};

// The binary header and verifier shared by the RC4 CryptoAPI and AES schemes (and, without the
// header, by RC4 version 1.1).
struct BinaryKeyInfo {
    std::uint32_t flags = 0;
    std::uint32_t algId = 0;     // 0x6801 RC4, 0x660E/0x660F/0x6610 AES-128/192/256
    std::uint32_t algIdHash = 0; // 0x8004 SHA-1 (0x8003 MD5 for version 1.1)
    std::uint32_t keyBits = 0;   // effective key length
    std::uint32_t providerType = 0;
    std::string provider; // the CSP name, UTF-8
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> encryptedVerifier;
    std::vector<std::uint8_t> encryptedVerifierHash; // as stored (AES: padded to 32 bytes)
};

// The cipher description of one agile key: the keyData element, or the password key encryptor.
struct AgileKeyInfo {
    HashAlgorithm hash = HashAlgorithm::Sha1;
    std::uint32_t keyBits = 0;
    std::uint32_t blockSize = 0;
    std::uint32_t hashSize = 0;
    std::vector<std::uint8_t> salt;
};

struct AgileInfo {
    AgileKeyInfo keyData;
    AgileKeyInfo passwordKey;
    std::uint32_t spinCount = 0;
    std::vector<std::uint8_t> encryptedVerifierHashInput;
    std::vector<std::uint8_t> encryptedVerifierHashValue;
    std::vector<std::uint8_t> encryptedKeyValue;
};

// What page 0 says about the protection of a file. Plain data, freely copied.
struct EncryptionInfo {
    std::uint8_t format = 0;       // byte 0x14: 0 Jet 3, 1 Jet 4, 2 and up ACE
    std::uint32_t encodingKey = 0; // the header key at 0x3E (little-endian), 0 = not encrypted
    Scheme scheme = Scheme::None;
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    BinaryKeyInfo binary; // Rc4Md5, Rc4CryptoApi, StandardAes, NonStandardAes
    AgileInfo agile;      // Agile
};

// Offsets in page 0 (after the header block has been deobfuscated).
inline constexpr std::size_t kEncodingKeyOffset = 0x3E;
inline constexpr std::size_t kEncryptionInfoOffset = 0x299;

// Reads page 0 (at least the first 0x18 + 128 bytes; for an encrypted ACE file the whole
// encryption info) and classifies the protection. Throws platform::Error with number
// errors::Generic: "Unsupported encryption: <what>" for a scheme this library does not handle,
// "Damaged encryption information: <what>" when lengths or values are out of range. Pure
// function, callable from any thread.
EncryptionInfo ReadEncryption(std::span<const std::uint8_t> page0);

// A readable name of the scheme, for messages and logs.
std::string SchemeName(const EncryptionInfo& info);

} // namespace tabulant::db::crypto
