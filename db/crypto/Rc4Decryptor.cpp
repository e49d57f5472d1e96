#include "CryptoErrors.h"
#include "Decryptors.h"
#include "Digest.h"
#include "Rc4.h"
#include "SchemeConstants.h"
#include "SecretBytes.h"

#include <openssl/crypto.h>
#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

// RC4 pages of the CryptoAPI scheme (SHA-1) and of version 1.1 (MD5). Both hash a base value
// with the block key; they differ in how the base is made and how the hash becomes a key.
class Rc4Decryptor final : public PageDecryptor {
public:
    enum class Kdf { CryptoApi, Md5 };

    Rc4Decryptor(Kdf kdf, SecretBytes base, std::uint32_t keyBits, std::uint32_t encodingKey)
        : kdf_(kdf), base_(std::move(base)), keyBits_(keyBits), encodingKey_(encodingKey) {}

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
    void Apply(const std::array<std::uint8_t, 4>& blockKey, std::span<std::uint8_t> data) const {
        SecretBytes key(Digest::Hash(hash(), {base_.view(), blockKey}));
        if (kdf_ == Kdf::Md5) {
            key.Resize(16, 0);
        } else {
            // A 40-bit key is used as a 128-bit RC4 key whose last 11 bytes are zero.
            key.Resize(keyBits_ / 8, 0);
            if (keyBits_ == 40) key.Resize(16, 0);
        }
        Rc4(key.view()).Apply(data);
    }

    Kdf kdf_;
    SecretBytes base_;
    std::uint32_t keyBits_;
    std::uint32_t encodingKey_;
};

Rc4Decryptor Rc4Decryptor::FromPassword(const EncryptionInfo& info, Bytes password) {
    const BinaryKeyInfo& key = info.binary;
    if (info.scheme == Scheme::Rc4CryptoApi) {
        return {Kdf::CryptoApi,
                SecretBytes(Digest::Hash(HashAlgorithm::Sha1, {key.salt, password})), key.keyBits,
                info.encodingKey};
    }
    // Version 1.1: MD5 of the password cut to 5 bytes, repeated with the salt 16 times, hashed
    // and cut to 5 bytes again.
    SecretBytes first(Digest::Hash(HashAlgorithm::Md5, {password}));
    std::vector<std::uint8_t> repeated;
    for (int i = 0; i < 16; ++i) {
        repeated.insert(repeated.end(), first.view().begin(), first.view().begin() + 5);
        repeated.insert(repeated.end(), key.salt.begin(), key.salt.end());
    }
    SecretBytes base(Digest::Hash(HashAlgorithm::Md5, {repeated}));
    OPENSSL_cleanse(repeated.data(), repeated.size());
    base.Resize(5, 0);
    return {Kdf::Md5, std::move(base), 128, info.encodingKey};
}

} // namespace

std::unique_ptr<PageDecryptor> UnlockRc4(const EncryptionInfo& info, Bytes password) {
    auto decryptor = std::make_unique<Rc4Decryptor>(Rc4Decryptor::FromPassword(info, password));
    const BinaryKeyInfo& key = info.binary;
    std::vector<std::uint8_t> buffer(key.encryptedVerifier);
    buffer.insert(buffer.end(), key.encryptedVerifierHash.begin(), key.encryptedVerifierHash.end());
    decryptor->ApplyVerifier(buffer);
    const Bytes verifier(buffer.data(), key.encryptedVerifier.size());
    const Bytes stored(buffer.data() + verifier.size(), buffer.size() - verifier.size());
    if (stored.size() != Digest::Size(decryptor->hash())) ThrowInvalidPassword();
    RequireHash(Digest::Hash(decryptor->hash(), {verifier}), stored);
    return decryptor;
}

void SealRc4(EncryptionInfo& info, Bytes password, Bytes verifier) {
    if (verifier.size() != 16) throw std::invalid_argument("the verifier must be 16 bytes");
    const Rc4Decryptor decryptor = Rc4Decryptor::FromPassword(info, password);
    std::vector<std::uint8_t> buffer(verifier.begin(), verifier.end());
    const std::vector<std::uint8_t> hash = Digest::Hash(decryptor.hash(), {verifier});
    buffer.insert(buffer.end(), hash.begin(), hash.end());
    decryptor.ApplyVerifier(buffer);
    info.binary.encryptedVerifier.assign(buffer.begin(), buffer.begin() + 16);
    info.binary.encryptedVerifierHash.assign(buffer.begin() + 16, buffer.end());
}

} // namespace tabulant::db::crypto
