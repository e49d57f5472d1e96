#pragma once

#include <cstddef>
#include <cstdint>

namespace tabulant::accesswriter {

// RC4 keystream applied in place; encrypting and decrypting are the same operation. Used for the
// fixed header obfuscation and the optional page encoding, which need no real secrecy.
void rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t n);

} // namespace tabulant::accesswriter
