#pragma once

#include "CryptoErrors.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tabulant::db::crypto {

// Little-endian reading of the encryption info with bounds checks; running past the end is a
// damaged file, reported by `what` (the field being read).
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t position() const { return pos_; }

    std::span<const std::uint8_t> Take(std::size_t n, const char* what) {
        if (n > remaining()) ThrowDamaged(std::string(what) + " runs past the end");
        const auto out = bytes_.subspan(pos_, n);
        pos_ += n;
        return out;
    }
    std::vector<std::uint8_t> Bytes(std::size_t n, const char* what) {
        const auto s = Take(n, what);
        return {s.begin(), s.end()};
    }
    std::uint16_t U16(const char* what) {
        const auto s = Take(2, what);
        return std::uint16_t(s[0] | (s[1] << 8));
    }
    std::uint32_t U32(const char* what) {
        const auto s = Take(4, what);
        return std::uint32_t(s[0]) | (std::uint32_t(s[1]) << 8) | (std::uint32_t(s[2]) << 16) |
               (std::uint32_t(s[3]) << 24);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace tabulant::db::crypto
