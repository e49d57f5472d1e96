#pragma once

#include "cryptowriter/EncryptionInfoWriter.h"
#include "db/crypto/EncryptionInfo.h"
#include "db/crypto/HeaderBlock.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto::test {

inline std::vector<std::uint8_t> FromHex(std::string_view hex) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray(hex.data(), qsizetype(hex.size())));
    return {bytes.begin(), bytes.end()};
}

inline QByteArray ToHex(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
}

// A plain ACE image: page 0 with the engine name, the format byte and an obfuscated header whose
// encoding key is 0; every later page filled with a pattern that differs per page.
inline std::vector<std::uint8_t> PlainAceImage(std::size_t pages, std::uint8_t format = 3) {
    std::vector<std::uint8_t> image(pages * 4096);
    const std::string_view engine = "Standard ACE DB";
    image[1] = 0x01;
    std::copy(engine.begin(), engine.end(), image.begin() + 4);
    image[HeaderBlock::kFormatOffset] = format;
    HeaderBlock::WriteEncodingKey(image, 0);
    for (std::size_t i = 4096; i < image.size(); ++i) image[i] = std::uint8_t(i * 31 + i / 4096);
    return image;
}

// Page 0 of `image` with `info` written at the encryption info offset and the encoding key set.
inline std::vector<std::uint8_t> Page0With(const EncryptionInfo& info, std::uint8_t format = 3) {
    std::vector<std::uint8_t> page0 = PlainAceImage(1, format);
    HeaderBlock::WriteEncodingKey(page0, info.encodingKey);
    const std::vector<std::uint8_t> block = WriteEncryptionInfo(info);
    page0.resize(std::max(page0.size(), kEncryptionInfoOffset + block.size()));
    std::copy(block.begin(), block.end(), page0.begin() + kEncryptionInfoOffset);
    return page0;
}

} // namespace tabulant::db::crypto::test
