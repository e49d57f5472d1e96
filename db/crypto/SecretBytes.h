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
    // Cuts the bytes to `size` or pads them with `fill`; neither leaves a copy of the old bytes
    // behind (a vector that grows would free its old buffer unwiped).
    void Resize(std::size_t size, std::uint8_t fill) {
        if (size <= bytes_.size()) {
            OPENSSL_cleanse(bytes_.data() + size, bytes_.size() - size);
            bytes_.resize(size);
            return;
        }
        std::vector<std::uint8_t> grown;
        grown.reserve(size);
        grown.assign(bytes_.begin(), bytes_.end());
        grown.resize(size, fill);
        Wipe();
        bytes_.swap(grown);
    }

private:
    void Wipe() {
        if (!bytes_.empty()) OPENSSL_cleanse(bytes_.data(), bytes_.size());
    }
    std::vector<std::uint8_t> bytes_;
};

} // namespace tabulant::db::crypto
