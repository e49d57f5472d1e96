#include "AesCipher.h"
#include "Decryptors.h"
#include "Digest.h"
#include "SchemeConstants.h"
#include "SecretBytes.h"

#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

// Standard AES (50,000 SHA-1 rounds) and the Access variant without rounds: each page is
// AES-ECB under a key derived from the stretched password hash and the page's block key.
class EcbAesDecryptor final : public PageDecryptor {
public:
    EcbAesDecryptor(const EncryptionInfo& info, Bytes password)
        : keyBits_(info.binary.keyBits), encodingKey_(info.encodingKey) {
        std::vector<std::uint8_t> h =
            Digest::Hash(HashAlgorithm::Sha1, {info.binary.salt, password});
        Digest::Stretch(HashAlgorithm::Sha1, h, info.scheme == Scheme::StandardAes ? 50'000 : 0);
        hash_ = SecretBytes(std::move(h));
    }

    void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Decrypt, pageNumber, page);
    }
    void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Encrypt, pageNumber, page);
    }

    void ApplyVerifier(AesCipher::Direction direction, std::span<std::uint8_t> data) const {
        const SecretBytes key = Key({0, 0, 0, 0});
        AesCipher::Apply(AesCipher::Mode::Ecb, direction, key.view(), {}, data);
    }

private:
    // The CryptoAPI key derivation: the block hash is XORed into two 64-byte pads (0x36, 0x5C),
    // each pad hashed, and the key taken from the front of both hashes.
    SecretBytes Key(const std::array<std::uint8_t, 4>& blockKey) const {
        SecretBytes block(Digest::Hash(HashAlgorithm::Sha1, {hash_.view(), blockKey}));
        std::vector<std::uint8_t> pad1(64, 0x36);
        std::vector<std::uint8_t> pad2(64, 0x5C);
        for (std::size_t i = 0; i < block.size(); ++i) {
            pad1[i] ^= block.view()[i];
            pad2[i] ^= block.view()[i];
        }
        std::vector<std::uint8_t> key = Digest::Hash(HashAlgorithm::Sha1, {pad1});
        const std::vector<std::uint8_t> second = Digest::Hash(HashAlgorithm::Sha1, {pad2});
        key.insert(key.end(), second.begin(), second.end());
        key.resize(keyBits_ / 8);
        OPENSSL_cleanse(pad1.data(), pad1.size());
        OPENSSL_cleanse(pad2.data(), pad2.size());
        return SecretBytes(std::move(key));
    }

    void Apply(AesCipher::Direction direction, std::uint32_t pageNumber,
               std::span<std::uint8_t> page) const {
        if (page.size() % 16 != 0) ThrowPartialPage(pageNumber, page.size());
        const SecretBytes key = Key(BlockKey(encodingKey_, pageNumber));
        AesCipher::Apply(AesCipher::Mode::Ecb, direction, key.view(), {}, page);
    }

    std::uint32_t keyBits_;
    std::uint32_t encodingKey_;
    SecretBytes hash_;
};

} // namespace

std::unique_ptr<PageDecryptor> UnlockEcbAes(const EncryptionInfo& info, Bytes password) {
    auto decryptor = std::make_unique<EcbAesDecryptor>(info, password);
    std::vector<std::uint8_t> verifier = info.binary.encryptedVerifier;
    std::vector<std::uint8_t> hash = info.binary.encryptedVerifierHash;
    decryptor->ApplyVerifier(AesCipher::Direction::Decrypt, verifier);
    decryptor->ApplyVerifier(AesCipher::Direction::Decrypt, hash);
    RequireHash(Digest::Hash(HashAlgorithm::Sha1, {verifier}), hash);
    return decryptor;
}

void SealEcbAes(EncryptionInfo& info, Bytes password, Bytes verifier) {
    if (verifier.size() != 16) throw std::invalid_argument("the verifier must be 16 bytes");
    const EcbAesDecryptor decryptor(info, password);
    std::vector<std::uint8_t> hash = Digest::Hash(HashAlgorithm::Sha1, {verifier});
    hash.resize(32, 0);
    info.binary.encryptedVerifier.assign(verifier.begin(), verifier.end());
    decryptor.ApplyVerifier(AesCipher::Direction::Encrypt, info.binary.encryptedVerifier);
    decryptor.ApplyVerifier(AesCipher::Direction::Encrypt, hash);
    info.binary.encryptedVerifierHash = std::move(hash);
}

} // namespace tabulant::db::crypto
