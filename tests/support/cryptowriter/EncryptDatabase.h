#pragma once

#include "db/crypto/EncryptionInfo.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto {

struct EncryptionOptions {
    // Rc4Md5, Rc4CryptoApi, StandardAes, NonStandardAes or Agile.
    Scheme scheme = Scheme::Agile;
    // Agile and the AES schemes: 128, 192 or 256. RC4 CryptoAPI: 40 to 128 in steps of 8. Rc4Md5
    // is always 128.
    std::uint32_t keyBits = 256;
    // Agile only: the hash of both keys and the password stretching rounds (Access uses 100,000;
    // tests may use far fewer).
    HashAlgorithm hash = HashAlgorithm::Sha512;
    std::uint32_t spinCount = 100'000;
    // Fills salts, verifier, the intermediate key and the encoding key. Empty: OpenSSL's
    // RAND_bytes. A fixed source makes the output reproducible.
    std::function<void(std::span<std::uint8_t>)> random;
};

// Encrypts a plain ACE file image (format byte 2 or later, 4096-byte pages, encoding key 0) the
// way Access protects a database with `password` (UTF-8, 1 to 255 UTF-16 units): fills the
// encryption info at 0x299, sets the encoding key at 0x3E and encrypts every page after page 0.
// Returns the new image; the input is not changed. Misuse (another format, a file already
// encrypted, a bad option or password) throws std::invalid_argument. Works in memory only.
std::vector<std::uint8_t> EncryptDatabase(std::span<const std::uint8_t> plainFile,
                                          std::string_view password,
                                          const EncryptionOptions& options = {});

} // namespace tabulant::db::crypto
