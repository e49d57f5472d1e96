#include "VerifierSeal.h"

#include "db/crypto/AgilePasswordKey.h"
#include "db/crypto/Digest.h"
#include "db/crypto/EcbAesDecryptor.h"
#include "db/crypto/Rc4Decryptor.h"

#include <stdexcept>

namespace tabulant::db::crypto {

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

void SealAgile(EncryptionInfo& info, Bytes password, Bytes verifierHashInput, Bytes keyValue) {
    AgileInfo& agile = info.agile;
    if (verifierHashInput.size() != agile.passwordKey.salt.size() ||
        keyValue.size() != agile.keyData.keyBits / 8)
        throw std::invalid_argument("agile verifier or key of the wrong size");
    const AgilePasswordKey passwordKey(agile, password);
    const auto padded = [](Bytes bytes) {
        return FitTo({bytes.begin(), bytes.end()}, (bytes.size() + 15) / 16 * 16, 0);
    };
    agile.encryptedVerifierHashInput = padded(verifierHashInput);
    agile.encryptedVerifierHashValue =
        padded(Digest::Hash(agile.passwordKey.hash, {verifierHashInput}));
    agile.encryptedKeyValue = padded(keyValue);
    passwordKey.Apply(AesCipher::Direction::Encrypt, kVerifierInputBlock,
                      agile.encryptedVerifierHashInput);
    passwordKey.Apply(AesCipher::Direction::Encrypt, kVerifierValueBlock,
                      agile.encryptedVerifierHashValue);
    passwordKey.Apply(AesCipher::Direction::Encrypt, kKeyValueBlock, agile.encryptedKeyValue);
}

} // namespace tabulant::db::crypto
