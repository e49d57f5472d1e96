#pragma once

#include <cstdint>
#include <string_view>

namespace tabulant::engine::verify {

// The server's own 64-bit hashes, computed here bit for bit as PostgreSQL computes them, so that
// a checksum made on our side from the values we sent can be compared with one the server makes
// over the values it holds, without moving the values back.
//   TextHash(text, salt)   = hashtextextended(text, salt) for a text in a deterministic
//                            collation (the hash of its bytes)
//   WholeHash(value, salt) = hashint8extended(value, salt)
// Both are returned as the bits of the server's signed bigint. Stateless; any thread.
std::uint64_t TextHash(std::string_view bytes, std::uint64_t salt);
std::uint64_t WholeHash(std::int64_t value, std::uint64_t salt);

} // namespace tabulant::engine::verify
