#include "Rc4.h"

#include <openssl/crypto.h>
#include <stdexcept>
#include <utility>

namespace tabulant::db::crypto {

Rc4::Rc4(std::span<const std::uint8_t> key) {
    if (key.empty() || key.size() > s_.size())
        throw std::invalid_argument("RC4 key must be 1 to 256 bytes");
    for (std::uint32_t n = 0; n < s_.size(); ++n) s_[n] = n;
    std::uint32_t j = 0;
    for (std::size_t n = 0; n < s_.size(); ++n) {
        j = (j + s_[n] + key[n % key.size()]) & 0xFF;
        std::swap(s_[n], s_[j]);
    }
}

Rc4::~Rc4() { OPENSSL_cleanse(s_.data(), sizeof s_); }

void Rc4::Apply(std::span<std::uint8_t> data) {
    // Local copies: writes through the byte pointer could alias the members, which would make
    // the compiler reload the state for every byte.
    std::array<std::uint32_t, 256> s = s_;
    std::uint32_t i = i_;
    std::uint32_t j = j_;
    for (std::uint8_t& byte : data) {
        i = (i + 1) & 0xFF;
        const std::uint32_t si = s[i];
        j = (j + si) & 0xFF;
        const std::uint32_t sj = s[j];
        s[i] = sj;
        s[j] = si;
        byte ^= std::uint8_t(s[(si + sj) & 0xFF]);
    }
    s_ = s;
    i_ = i;
    j_ = j;
    OPENSSL_cleanse(s.data(), sizeof s);
}

} // namespace tabulant::db::crypto
