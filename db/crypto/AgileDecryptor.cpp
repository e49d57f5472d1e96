#include "AesCipher.h"
#include "Decryptors.h"
#include "Digest.h"
#include "SchemeConstants.h"
#include "SecretBytes.h"

#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

using Direction = AesCipher::Direction;

// Block constants that select which value of the password key encryptor a key opens.
constexpr std::array<std::uint8_t, 8> kVerifierInputBlock{0xFE, 0xA7, 0xD2, 0x76,
                                                          0x3B, 0x4B, 0x9E, 0x79};
constexpr std::array<std::uint8_t, 8> kVerifierValueBlock{0xD7, 0xAA, 0x0F, 0x6D,
                                                          0x30, 0x61, 0x34, 0x4E};
constexpr std::array<std::uint8_t, 8> kKeyValueBlock{0x14, 0x6E, 0x0B, 0xE7,
                                                     0xAB, 0xAC, 0xD0, 0xD6};

// The password side of agile encryption: the stretched password hash opens the verifier and the
// intermediate key that encrypts the pages.
class PasswordKey {
public:
    PasswordKey(const AgileInfo& info, Bytes password) : key_(info.passwordKey) {
        std::vector<std::uint8_t> h = Digest::Hash(key_.hash, {key_.salt, password});
        Digest::Stretch(key_.hash, h, info.spinCount);
        hash_ = SecretBytes(std::move(h));
    }

    // Decrypts or encrypts one value (whole blocks) under the key of `block`.
    void Apply(Direction direction, const std::array<std::uint8_t, 8>& block,
               std::span<std::uint8_t> data) const {
        const SecretBytes key(
            FitTo(Digest::Hash(key_.hash, {hash_.view(), block}), key_.keyBits / 8, 0x36));
        const std::vector<std::uint8_t> iv = FitTo(key_.salt, key_.blockSize, 0x36);
        AesCipher::Apply(AesCipher::Mode::Cbc, direction, key.view(), iv, data);
    }

    const AgileKeyInfo& info() const { return key_; }

private:
    const AgileKeyInfo& key_;
    SecretBytes hash_;
};

// Pages are AES-CBC under the intermediate key; the IV is the hash of the keyData salt and the
// page's block key.
class AgileDecryptor final : public PageDecryptor {
public:
    AgileDecryptor(const AgileKeyInfo& keyData, SecretBytes key, std::uint32_t encodingKey)
        : keyData_(keyData), key_(std::move(key)), encodingKey_(encodingKey) {}

    void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(Direction::Decrypt, pageNumber, page);
    }
    void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const override {
        Apply(Direction::Encrypt, pageNumber, page);
    }

private:
    void Apply(Direction direction, std::uint32_t pageNumber, std::span<std::uint8_t> page) const {
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
    const PasswordKey passwordKey(agile, password);
    std::vector<std::uint8_t> input = agile.encryptedVerifierHashInput;
    std::vector<std::uint8_t> value = agile.encryptedVerifierHashValue;
    passwordKey.Apply(Direction::Decrypt, kVerifierInputBlock, input);
    passwordKey.Apply(Direction::Decrypt, kVerifierValueBlock, value);
    input.resize(std::min(input.size(), agile.passwordKey.salt.size()));
    RequireHash(Digest::Hash(agile.passwordKey.hash, {input}), value);

    SecretBytes key(agile.encryptedKeyValue);
    passwordKey.Apply(Direction::Decrypt, kKeyValueBlock, key.mutableView());
    key.Resize(agile.keyData.keyBits / 8, 0);
    return std::make_unique<AgileDecryptor>(agile.keyData, std::move(key), info.encodingKey);
}

void SealAgile(EncryptionInfo& info, Bytes password, Bytes verifierHashInput, Bytes keyValue) {
    AgileInfo& agile = info.agile;
    if (verifierHashInput.size() != agile.passwordKey.salt.size() ||
        keyValue.size() != agile.keyData.keyBits / 8)
        throw std::invalid_argument("agile verifier or key of the wrong size");
    const PasswordKey passwordKey(agile, password);
    const auto padded = [](Bytes bytes) {
        return FitTo({bytes.begin(), bytes.end()}, (bytes.size() + 15) / 16 * 16, 0);
    };
    agile.encryptedVerifierHashInput = padded(verifierHashInput);
    agile.encryptedVerifierHashValue =
        padded(Digest::Hash(agile.passwordKey.hash, {verifierHashInput}));
    agile.encryptedKeyValue = padded(keyValue);
    passwordKey.Apply(Direction::Encrypt, kVerifierInputBlock, agile.encryptedVerifierHashInput);
    passwordKey.Apply(Direction::Encrypt, kVerifierValueBlock, agile.encryptedVerifierHashValue);
    passwordKey.Apply(Direction::Encrypt, kKeyValueBlock, agile.encryptedKeyValue);
}

} // namespace tabulant::db::crypto
