#pragma once

#include "db/crypto/AesCipher.h"
#include "db/crypto/Decryptors.h"
#include "db/crypto/Digest.h"
#include "db/crypto/SecretBytes.h"

#include <array>
#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// Block constants that select which value of the password key encryptor a key opens.
inline constexpr std::array<std::uint8_t, 8> kVerifierInputBlock{0xFE, 0xA7, 0xD2, 0x76,
                                                                 0x3B, 0x4B, 0x9E, 0x79};
inline constexpr std::array<std::uint8_t, 8> kVerifierValueBlock{0xD7, 0xAA, 0x0F, 0x6D,
                                                                 0x30, 0x61, 0x34, 0x4E};
inline constexpr std::array<std::uint8_t, 8> kKeyValueBlock{0x14, 0x6E, 0x0B, 0xE7,
                                                            0xAB, 0xAC, 0xD0, 0xD6};

// The password side of agile encryption: the stretched password hash opens the verifier and the
// intermediate key that encrypts the pages.
class AgilePasswordKey {
public:
    AgilePasswordKey(const AgileInfo& info, Bytes password) : key_(info.passwordKey) {
        std::vector<std::uint8_t> h = Digest::Hash(key_.hash, {key_.salt, password});
        Digest::Stretch(key_.hash, h, info.spinCount);
        hash_ = SecretBytes(std::move(h));
    }

    // Decrypts or encrypts one value (whole blocks) under the key of `block`.
    void Apply(AesCipher::Direction direction, const std::array<std::uint8_t, 8>& block,
               std::span<std::uint8_t> data) const {
        SecretBytes key(Digest::Hash(key_.hash, {hash_.view(), block}));
        key.Resize(key_.keyBits / 8, 0x36);
        const std::vector<std::uint8_t> iv = FitTo(key_.salt, key_.blockSize, 0x36);
        AesCipher::Apply(AesCipher::Mode::Cbc, direction, key.view(), iv, data);
    }

    const AgileKeyInfo& info() const { return key_; }

private:
    const AgileKeyInfo& key_;
    SecretBytes hash_;
};

} // namespace tabulant::db::crypto
