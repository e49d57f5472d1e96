#pragma once

#include <cstdint>
#include <openssl/crypto.h>
#include <span>
#include <vector>

namespace tabulant::db::crypto {

// Key material that is wiped when it goes, so derived keys do not linger in freed heap memory.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&&) = default;
    SecretBytes& operator=(SecretBytes&&) = default;
    ~SecretBytes() { Wipe(); }

    std::span<const std::uint8_t> view() const { return bytes_; }
    std::span<std::uint8_t> mutableView() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    void Resize(std::size_t size, std::uint8_t fill) { bytes_.resize(size, fill); }

private:
    void Wipe() {
        if (!bytes_.empty()) OPENSSL_cleanse(bytes_.data(), bytes_.size());
    }
    std::vector<std::uint8_t> bytes_;
};

} // namespace tabulant::db::crypto
