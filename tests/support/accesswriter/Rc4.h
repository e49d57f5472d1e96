#pragma once

#include "db/crypto/Rc4.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tabulant::accesswriter {

// RC4 keystream applied in place; encrypting and decrypting are the same operation. Used for the
// fixed header obfuscation and the optional page encoding, which need no real secrecy.
inline void rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
                     std::size_t n) {
    db::crypto::Rc4(std::span<const std::uint8_t>(key, keyLength))
        .Apply(std::span<std::uint8_t>(data, n));
}

} // namespace tabulant::accesswriter
