#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tabulant::db::le {

// Unaligned little-endian reads from a byte buffer; callers check the bounds.
inline std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t i16(const std::uint8_t* p) { return static_cast<std::int16_t>(u16(p)); }
inline std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
// An unsigned field whose width (1, 2 or 4 bytes) depends on the file format.
inline std::uint32_t uint(const std::uint8_t* p, std::size_t size) {
    return size == 1 ? p[0] : size == 2 ? u16(p) : u32(p);
}
inline std::int32_t i32(const std::uint8_t* p) { return static_cast<std::int32_t>(u32(p)); }
inline std::uint64_t u64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(u32(p)) | (static_cast<std::uint64_t>(u32(p + 4)) << 32);
}
inline std::int64_t i64(const std::uint8_t* p) { return static_cast<std::int64_t>(u64(p)); }
inline double f64(const std::uint8_t* p) {
    const std::uint64_t bits = u64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline float f32(const std::uint8_t* p) {
    const std::uint32_t bits = u32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace tabulant::db::le
