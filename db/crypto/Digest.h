#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tabulant::db::crypto {

enum class HashAlgorithm { Md5, Sha1, Sha256, Sha384, Sha512 };

// One-shot message digests over OpenSSL. Stateless; callable from any thread. Throws
// std::runtime_error only when libcrypto itself fails (out of memory).
class Digest {
public:
    using Bytes = std::span<const std::uint8_t>;

    // The digest of the concatenation of `parts`.
    static std::vector<std::uint8_t> Hash(HashAlgorithm algorithm,
                                          std::initializer_list<Bytes> parts);
    static std::size_t Size(HashAlgorithm algorithm);

    // Password stretching of the Office schemes: `rounds` times h = Hash(LE32(i) || h), i from 0.
    static void Stretch(HashAlgorithm algorithm, std::vector<std::uint8_t>& h,
                        std::uint32_t rounds);

    // The names used by the agile XML ("SHA1", "SHA512", ...); no value for other names.
    static std::optional<HashAlgorithm> FromName(std::string_view name);
    static std::string_view Name(HashAlgorithm algorithm);
};

} // namespace tabulant::db::crypto
