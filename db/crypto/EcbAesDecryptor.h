#pragma once

#include "db/crypto/AesCipher.h"
#include "db/crypto/Decryptors.h"
#include "db/crypto/SecretBytes.h"

#include <array>
#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// Standard AES (50,000 SHA-1 rounds) and the Access variant without rounds: each page is
// AES-ECB under a key derived from the stretched password hash and the page's block key.
class EcbAesDecryptor final : public PageDecryptor {
public:
    // Derives the key of `info`'s AES scheme from the password (UTF-16LE bytes); does not check
    // it.
    EcbAesDecryptor(const EncryptionInfo& info, Bytes password);

    void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Decrypt, pageNumber, page);
    }
    void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Encrypt, pageNumber, page);
    }

    // The verifier and its hash are each encrypted on their own under block key 0.
    void ApplyVerifier(AesCipher::Direction direction, std::span<std::uint8_t> data) const;

private:
    // The CryptoAPI key derivation: the block hash is XORed into two 64-byte pads (0x36, 0x5C),
    // each pad hashed, and the key taken from the front of both hashes.
    SecretBytes Key(const std::array<std::uint8_t, 4>& blockKey) const;
    void Apply(AesCipher::Direction direction, std::uint32_t pageNumber,
               std::span<std::uint8_t> page) const;

    std::uint32_t keyBits_;
    std::uint32_t encodingKey_;
    SecretBytes hash_;
};

} // namespace tabulant::db::crypto
