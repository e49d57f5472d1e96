#pragma once

// Little-endian stores into byte buffers; every Access structure is little-endian.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tabulant::accesswriter {

using Bytes = std::vector<std::uint8_t>;

inline void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void put64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void append8(Bytes& b, std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v)); }

inline void append16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void append32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void appendRaw(Bytes& b, const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    b.insert(b.end(), p, p + n);
}

inline void appendRaw(Bytes& b, const std::string& s) { appendRaw(b, s.data(), s.size()); }

inline void appendDouble(Bytes& b, double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

// A page pointer as Access stores it: page number in the upper 24 bits, row in the low byte.
inline std::uint32_t pageRow(std::uint32_t page, std::uint32_t row) { return (page << 8) | row; }

} // namespace tabulant::accesswriter
