#include "ServerHash.h"

#include <cstring>

namespace tabulant::engine::verify {

namespace {

// Bob Jenkins' 2006 hash over 32-bit words, with the start value and salt handling the server
// uses. Words are read little-endian, as a server on a little-endian machine reads them.
constexpr std::uint32_t rotl(std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

struct State {
    std::uint32_t a, b, c;

    explicit State(std::uint32_t length) : a(0x9e3779b9u + length + 3923095u), b(a), c(a) {}

    void mix() {
        a -= c;
        a ^= rotl(c, 4);
        c += b;
        b -= a;
        b ^= rotl(a, 6);
        a += c;
        c -= b;
        c ^= rotl(b, 8);
        b += a;
        a -= c;
        a ^= rotl(c, 16);
        c += b;
        b -= a;
        b ^= rotl(a, 19);
        a += c;
        c -= b;
        c ^= rotl(b, 4);
        b += a;
    }
    void finish() {
        c ^= b;
        c -= rotl(b, 14);
        a ^= c;
        a -= rotl(c, 11);
        b ^= a;
        b -= rotl(a, 25);
        c ^= b;
        c -= rotl(b, 16);
        a ^= c;
        a -= rotl(c, 4);
        b ^= a;
        b -= rotl(a, 14);
        c ^= b;
        c -= rotl(b, 24);
    }
    // A non-zero salt is mixed in as a block of its own before the data.
    void salt(std::uint64_t s) {
        if (s == 0) return;
        a += static_cast<std::uint32_t>(s >> 32);
        b += static_cast<std::uint32_t>(s);
        mix();
    }
    std::uint64_t result() const { return (static_cast<std::uint64_t>(b) << 32) | c; }
};

std::uint32_t word(const unsigned char* p, std::size_t n) {
    std::uint32_t w = 0;
    for (std::size_t i = 0; i < n; ++i) w |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return w;
}

} // namespace

std::uint64_t TextHash(std::string_view bytes, std::uint64_t salt) {
    const auto* k = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t length = bytes.size();
    State s(static_cast<std::uint32_t>(length));
    s.salt(salt);
    while (length >= 12) {
        s.a += word(k, 4);
        s.b += word(k + 4, 4);
        s.c += word(k + 8, 4);
        s.mix();
        k += 12;
        length -= 12;
    }
    // The last bytes: the lowest byte of c is kept for the length, so c takes bytes 8 to 10
    // from its second byte up.
    if (length > 8) s.c += word(k + 8, length - 8) << 8;
    if (length > 4) s.b += word(k + 4, length > 8 ? 4 : length - 4);
    if (length > 0) s.a += word(k, length > 4 ? 4 : length);
    s.finish();
    return s.result();
}

std::uint64_t WholeHash(std::int64_t value, std::uint64_t salt) {
    // The server folds the high half into the low one (inverted for negative values), so that a
    // bigint and an int of the same value hash alike, and hashes the 32-bit result.
    const auto bits = static_cast<std::uint64_t>(value);
    std::uint32_t low = static_cast<std::uint32_t>(bits);
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    low ^= value >= 0 ? high : ~high;
    State s(4);
    s.salt(salt);
    s.a += low;
    s.finish();
    return s.result();
}

} // namespace tabulant::engine::verify
