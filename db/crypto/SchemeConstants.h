#pragma once

#include <array>
#include <cstdint>

namespace tabulant::db::crypto {

// Header flags of the binary (CryptoAPI) encryption info.
inline constexpr std::uint32_t kFlagCryptoApi = 0x04;
inline constexpr std::uint32_t kFlagDocProps = 0x08;
inline constexpr std::uint32_t kFlagExternal = 0x10;
inline constexpr std::uint32_t kFlagAes = 0x20;

// CryptoAPI algorithm identifiers.
inline constexpr std::uint32_t kAlgRc4 = 0x6801;
inline constexpr std::uint32_t kAlgAes128 = 0x660E;
inline constexpr std::uint32_t kAlgAes192 = 0x660F;
inline constexpr std::uint32_t kAlgAes256 = 0x6610;
inline constexpr std::uint32_t kAlgSha1 = 0x8004;
inline constexpr std::uint32_t kAlgMd5 = 0x8003;

// The int32 between the version and the XML of agile encryption.
inline constexpr std::uint32_t kAgileReserved = 0x40;

// Key bits of an AES algorithm identifier; 0 for anything else.
constexpr std::uint32_t AesKeyBits(std::uint32_t algId) {
    return algId == kAlgAes128 ? 128 : algId == kAlgAes192 ? 192 : algId == kAlgAes256 ? 256 : 0;
}

// The block key of page n: the file's encoding key XOR n, little-endian. The password check uses
// block key 0.
constexpr std::array<std::uint8_t, 4> BlockKey(std::uint32_t encodingKey, std::uint32_t page) {
    const std::uint32_t k = encodingKey ^ page;
    return {std::uint8_t(k), std::uint8_t(k >> 8), std::uint8_t(k >> 16), std::uint8_t(k >> 24)};
}

} // namespace tabulant::db::crypto
