#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// The RC4 stream cipher. Our own few lines rather than EVP_rc4: OpenSSL 3 keeps RC4 in the
// "legacy" provider, which a distribution may not ship or may disable, and loading it would
// change the process-wide provider set. One object is one key stream: Apply continues where the
// previous call stopped. Not for sharing between threads.
class Rc4 {
public:
    explicit Rc4(std::span<const std::uint8_t> key); // 1 to 256 bytes
    ~Rc4();

    // XORs the next data.size() key-stream bytes into data (encrypts and decrypts alike).
    void Apply(std::span<std::uint8_t> data);

private:
    // Word-sized entries: byte-sized ones make the per-byte loop about a third slower.
    std::array<std::uint32_t, 256> s_{};
    std::uint32_t i_ = 0;
    std::uint32_t j_ = 0;
};

} // namespace tabulant::db::crypto
