#include "Rc4.h"

#include <openssl/crypto.h>
#include <stdexcept>
#include <utility>

namespace tabulant::db::crypto {

Rc4::Rc4(std::span<const std::uint8_t> key) {
    if (key.empty() || key.size() > s_.size())
        throw std::invalid_argument("RC4 key must be 1 to 256 bytes");
    for (std::size_t n = 0; n < s_.size(); ++n)
        s_[n] = std::uint8_t(n);
    std::uint8_t j = 0;
    for (std::size_t n = 0; n < s_.size(); ++n) {
        j = std::uint8_t(j + s_[n] + key[n % key.size()]);
        std::swap(s_[n], s_[j]);
    }
}

Rc4::~Rc4() {
    OPENSSL_cleanse(s_.data(), s_.size());
}

void Rc4::Apply(std::span<std::uint8_t> data) {
    for (std::uint8_t& byte : data) {
        i_ = std::uint8_t(i_ + 1);
        j_ = std::uint8_t(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        byte ^= s_[std::uint8_t(s_[i_] + s_[j_])];
    }
}

} // namespace tabulant::db::crypto
