#pragma once

#include "db/crypto/PageDecryptor.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tabulant::db::crypto {

// One per family of schemes: Unlock* verify the password (UTF-16LE bytes) and throw the
// invalid-password error.
using Bytes = std::span<const std::uint8_t>;

std::unique_ptr<PageDecryptor> UnlockRc4(const EncryptionInfo& info, Bytes password);
std::unique_ptr<PageDecryptor> UnlockEcbAes(const EncryptionInfo& info, Bytes password);
std::unique_ptr<PageDecryptor> UnlockAgile(const EncryptionInfo& info, Bytes password);

// Truncates `bytes` to `size`, or pads them with `fill`: how every Office scheme fits a hash to a
// key or IV length.
std::vector<std::uint8_t> FitTo(std::vector<std::uint8_t> bytes, std::size_t size,
                                std::uint8_t fill);

// Throws the invalid-password error unless `stored` begins with `expected` (compared in
// constant time; stored values may carry padding after the hash).
void RequireHash(Bytes expected, Bytes stored);

// platform::Error for a page an AES scheme cannot take (not whole 16-byte blocks).
[[noreturn]] void ThrowPartialPage(std::uint32_t pageNumber, std::size_t size);

} // namespace tabulant::db::crypto
