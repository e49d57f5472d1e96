#include "AgilePasswordKey.h"

#include "AesCipher.h"
#include "Decryptors.h"
#include "Digest.h"
#include "SchemeConstants.h"
#include "SecretBytes.h"

namespace tabulant::db::crypto {

namespace {

// Pages are AES-CBC under the intermediate key; the IV is the hash of the keyData salt and the
// page's block key.
class AgileDecryptor final : public PageDecryptor {
public:
    AgileDecryptor(const AgileKeyInfo& keyData, SecretBytes key, std::uint32_t encodingKey)
        : keyData_(keyData), key_(std::move(key)), encodingKey_(encodingKey) {}

    void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Decrypt, pageNumber, page);
    }
    void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(AesCipher::Direction::Encrypt, pageNumber, page);
    }

private:
    void Apply(AesCipher::Direction direction, std::uint32_t pageNumber,
               std::span<std::uint8_t> page) const {
        if (page.size() % 16 != 0) ThrowPartialPage(pageNumber, page.size());
        const auto blockKey = BlockKey(encodingKey_, pageNumber);
        const std::vector<std::uint8_t> iv =
            FitTo(Digest::Hash(keyData_.hash, {keyData_.salt, blockKey}), keyData_.blockSize, 0x36);
        AesCipher::Apply(AesCipher::Mode::Cbc, direction, key_.view(), iv, page);
    }

    AgileKeyInfo keyData_;
    SecretBytes key_;
    std::uint32_t encodingKey_;
};

} // namespace

std::unique_ptr<PageDecryptor> UnlockAgile(const EncryptionInfo& info, Bytes password) {
    const AgileInfo& agile = info.agile;
    const AgilePasswordKey passwordKey(agile, password);
    std::vector<std::uint8_t> input = agile.encryptedVerifierHashInput;
    std::vector<std::uint8_t> value = agile.encryptedVerifierHashValue;
    passwordKey.Apply(AesCipher::Direction::Decrypt, kVerifierInputBlock, input);
    passwordKey.Apply(AesCipher::Direction::Decrypt, kVerifierValueBlock, value);
    input.resize(std::min(input.size(), agile.passwordKey.salt.size()));
    RequireHash(Digest::Hash(agile.passwordKey.hash, {input}), value);

    SecretBytes key(agile.encryptedKeyValue);
    passwordKey.Apply(AesCipher::Direction::Decrypt, kKeyValueBlock, key.mutableView());
    key.Resize(agile.keyData.keyBits / 8, 0);
    return std::make_unique<AgileDecryptor>(agile.keyData, std::move(key), info.encodingKey);
}

} // namespace tabulant::db::crypto
