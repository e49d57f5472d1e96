#pragma once

#include <cstddef>
#include <cstdint>

namespace tabulant::db {

// The RC4 stream cipher, used by Access for the header obfuscation and the page encoding of
// "encrypted" .mdb files. Applying it twice with the same key restores the input.
void Rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
              std::size_t length);

} // namespace tabulant::db
