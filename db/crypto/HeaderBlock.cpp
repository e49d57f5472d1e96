#include "HeaderBlock.h"

#include "CryptoErrors.h"
#include "EncryptionInfo.h"
#include "Rc4.h"

#include <array>
#include <vector>

namespace tabulant::db::crypto {

namespace {

constexpr std::array<std::uint8_t, 4> kHeaderKey{0xC7, 0xDA, 0x39, 0x6B};

std::size_t BlockLength(std::uint8_t format) { return format == 0 ? 126 : 128; }

// The four key-stream bytes that cover the encoding key field.
std::array<std::uint8_t, 4> KeyFieldStream() {
    std::array<std::uint8_t, kEncodingKeyOffset - HeaderBlock::kStart + 4> stream{};
    Rc4(kHeaderKey).Apply(stream);
    return {stream[stream.size() - 4], stream[stream.size() - 3], stream[stream.size() - 2],
            stream[stream.size() - 1]};
}

void CheckSize(std::span<const std::uint8_t> page0) {
    const std::size_t required = HeaderBlock::RequiredSize(page0);
    if (required == 0 || page0.size() < required) ThrowDamaged("the header page is too short");
}

} // namespace

std::size_t HeaderBlock::RequiredSize(std::span<const std::uint8_t> page0) {
    if (page0.size() <= kFormatOffset) return 0;
    return kStart + BlockLength(page0[kFormatOffset]);
}

std::uint32_t HeaderBlock::ReadEncodingKey(std::span<const std::uint8_t> page0) {
    CheckSize(page0);
    const std::array<std::uint8_t, 4> stream = KeyFieldStream();
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < 4; ++i)
        key |= std::uint32_t(page0[kEncodingKeyOffset + i] ^ stream[i]) << (8 * i);
    return key;
}

void HeaderBlock::WriteEncodingKey(std::span<std::uint8_t> page0, std::uint32_t key) {
    CheckSize(page0);
    const std::array<std::uint8_t, 4> stream = KeyFieldStream();
    for (std::size_t i = 0; i < 4; ++i)
        page0[kEncodingKeyOffset + i] = std::uint8_t(stream[i] ^ (key >> (8 * i)));
}

} // namespace tabulant::db::crypto
