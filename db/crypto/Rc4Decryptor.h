#pragma once

#include "db/crypto/Decryptors.h"
#include "db/crypto/SchemeConstants.h"
#include "db/crypto/SecretBytes.h"

#include <array>
#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// RC4 pages of the CryptoAPI scheme (SHA-1) and of version 1.1 (MD5). Both hash a base value
// with the block key; they differ in how the base is made and how the hash becomes a key.
class Rc4Decryptor final : public PageDecryptor {
public:
    enum class Kdf { CryptoApi, Md5 };

    Rc4Decryptor(Kdf kdf, SecretBytes base, std::uint32_t keyBits, std::uint32_t encodingKey)
        : kdf_(kdf), base_(std::move(base)), keyBits_(keyBits), encodingKey_(encodingKey) {}

    // The key of `info`'s RC4 scheme from the password (UTF-16LE bytes); does not check it.
    static Rc4Decryptor FromPassword(const EncryptionInfo& info, Bytes password);

    void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(BlockKey(encodingKey_, pageNumber), page);
    }
    void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(BlockKey(encodingKey_, pageNumber), page);
    }

    // The verifier and its hash form one continuing RC4 stream under block key 0.
    void ApplyVerifier(std::span<std::uint8_t> verifierAndHash) const {
        Apply({0, 0, 0, 0}, verifierAndHash);
    }
    HashAlgorithm hash() const {
        return kdf_ == Kdf::Md5 ? HashAlgorithm::Md5 : HashAlgorithm::Sha1;
    }

private:
    void Apply(const std::array<std::uint8_t, 4>& blockKey, std::span<std::uint8_t> data) const;

    Kdf kdf_;
    SecretBytes base_;
    std::uint32_t keyBits_;
    std::uint32_t encodingKey_;
};

} // namespace tabulant::db::crypto
