#pragma once

#include <cstdint>
#include <span>

namespace tabulant::db::crypto {

// AES in ECB or CBC mode without padding, in place, over OpenSSL. The data length must be a
// multiple of 16 and the key 16, 24 or 32 bytes (std::invalid_argument otherwise). Stateless;
// callable from any thread.
class AesCipher {
public:
    enum class Mode { Ecb, Cbc };
    enum class Direction { Encrypt, Decrypt };

    // `iv` is used by CBC only (16 bytes).
    static void Apply(Mode mode, Direction direction, std::span<const std::uint8_t> key,
                      std::span<const std::uint8_t> iv, std::span<std::uint8_t> data);
};

} // namespace tabulant::db::crypto
