#pragma once

#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// The obfuscated part of page 0: from 0x18, 126 bytes in Jet 3 files and 128 in the later ones,
// RC4-encrypted with a fixed key. Every field the protection depends on lies inside it.
class HeaderBlock {
public:
    static constexpr std::size_t kStart = 0x18;
    static constexpr std::size_t kFormatOffset = 0x14;

    // The bytes of page 0 needed to read the block of this file (0 when page0 is too short to
    // tell the format).
    static std::size_t RequiredSize(std::span<const std::uint8_t> page0);

    // The encoding key at 0x3E as the file means it (little-endian, deobfuscated).
    static std::uint32_t ReadEncodingKey(std::span<const std::uint8_t> page0);

    // Stores `key` as the encoding key, keeping the rest of the block and its obfuscation.
    static void WriteEncodingKey(std::span<std::uint8_t> page0, std::uint32_t key);
};

} // namespace tabulant::db::crypto
