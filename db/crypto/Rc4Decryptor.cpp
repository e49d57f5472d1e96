#include "Rc4Decryptor.h"

#include "Digest.h"
#include "Rc4.h"

#include <openssl/crypto.h>

namespace tabulant::db::crypto {

void Rc4Decryptor::Apply(const std::array<std::uint8_t, 4>& blockKey,
                         std::span<std::uint8_t> data) const {
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

} // namespace tabulant::db::crypto
