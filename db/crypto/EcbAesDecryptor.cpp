#include "EcbAesDecryptor.h"

#include "Digest.h"
#include "SchemeConstants.h"

#include <openssl/crypto.h>

namespace tabulant::db::crypto {

EcbAesDecryptor::EcbAesDecryptor(const EncryptionInfo& info, Bytes password)
    : keyBits_(info.binary.keyBits), encodingKey_(info.encodingKey) {
    std::vector<std::uint8_t> h = Digest::Hash(HashAlgorithm::Sha1, {info.binary.salt, password});
    Digest::Stretch(HashAlgorithm::Sha1, h, info.scheme == Scheme::StandardAes ? 50'000 : 0);
    hash_ = SecretBytes(std::move(h));
}

void EcbAesDecryptor::ApplyVerifier(AesCipher::Direction direction,
                                    std::span<std::uint8_t> data) const {
    const SecretBytes key = Key({0, 0, 0, 0});
    AesCipher::Apply(AesCipher::Mode::Ecb, direction, key.view(), {}, data);
}

SecretBytes EcbAesDecryptor::Key(const std::array<std::uint8_t, 4>& blockKey) const {
    SecretBytes block(Digest::Hash(HashAlgorithm::Sha1, {hash_.view(), blockKey}));
    std::vector<std::uint8_t> pad1(64, 0x36);
    std::vector<std::uint8_t> pad2(64, 0x5C);
    for (std::size_t i = 0; i < block.size(); ++i) {
        pad1[i] ^= block.view()[i];
        pad2[i] ^= block.view()[i];
    }
    std::vector<std::uint8_t> both;
    both.reserve(2 * Digest::Size(HashAlgorithm::Sha1)); // grown once, no copy left behind
    for (const std::vector<std::uint8_t>* pad : {&pad1, &pad2}) {
        const SecretBytes hash(Digest::Hash(HashAlgorithm::Sha1, {*pad}));
        both.insert(both.end(), hash.view().begin(), hash.view().end());
    }
    OPENSSL_cleanse(pad1.data(), pad1.size());
    OPENSSL_cleanse(pad2.data(), pad2.size());
    SecretBytes key(std::move(both));
    key.Resize(keyBits_ / 8, 0);
    return key;
}

void EcbAesDecryptor::Apply(AesCipher::Direction direction, std::uint32_t pageNumber,
                            std::span<std::uint8_t> page) const {
    if (page.size() % 16 != 0) ThrowPartialPage(pageNumber, page.size());
    const SecretBytes key = Key(BlockKey(encodingKey_, pageNumber));
    AesCipher::Apply(AesCipher::Mode::Ecb, direction, key.view(), {}, page);
}

std::unique_ptr<PageDecryptor> UnlockEcbAes(const EncryptionInfo& info, Bytes password) {
    auto decryptor = std::make_unique<EcbAesDecryptor>(info, password);
    std::vector<std::uint8_t> verifier = info.binary.encryptedVerifier;
    std::vector<std::uint8_t> hash = info.binary.encryptedVerifierHash;
    decryptor->ApplyVerifier(AesCipher::Direction::Decrypt, verifier);
    decryptor->ApplyVerifier(AesCipher::Direction::Decrypt, hash);
    RequireHash(Digest::Hash(HashAlgorithm::Sha1, {verifier}), hash);
    return decryptor;
}

} // namespace tabulant::db::crypto
