#include "AesCipher.h"

#include <climits>
#include <memory>
#include <openssl/evp.h>
#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

const EVP_CIPHER* Cipher(AesCipher::Mode mode, std::size_t keySize) {
    const bool ecb = mode == AesCipher::Mode::Ecb;
    switch (keySize) {
    case 16:
        return ecb ? EVP_aes_128_ecb() : EVP_aes_128_cbc();
    case 24:
        return ecb ? EVP_aes_192_ecb() : EVP_aes_192_cbc();
    case 32:
        return ecb ? EVP_aes_256_ecb() : EVP_aes_256_cbc();
    default:
        throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
    }
}

struct CtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

} // namespace

void AesCipher::Apply(Mode mode, Direction direction, std::span<const std::uint8_t> key,
                      std::span<const std::uint8_t> iv, std::span<std::uint8_t> data) {
    const EVP_CIPHER* cipher = Cipher(mode, key.size());
    if (data.size() % 16 != 0 || data.size() > std::size_t(INT_MAX))
        throw std::invalid_argument("AES data must be whole 16-byte blocks");
    if (mode == Mode::Cbc && iv.size() != 16)
        throw std::invalid_argument("AES-CBC needs a 16-byte IV");
    if (data.empty()) return;
    std::unique_ptr<EVP_CIPHER_CTX, CtxFree> ctx(EVP_CIPHER_CTX_new());
    const int enc = direction == Direction::Encrypt ? 1 : 0;
    int outLen = 0;
    int finalLen = 0;
    // EVP allows the output to alias the input exactly, which is what in-place means here.
    const bool ok =
        ctx &&
        EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key.data(),
                          mode == Mode::Cbc ? iv.data() : nullptr, enc) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
        EVP_CipherUpdate(ctx.get(), data.data(), &outLen, data.data(), int(data.size())) == 1 &&
        EVP_CipherFinal_ex(ctx.get(), data.data() + outLen, &finalLen) == 1;
    if (!ok || std::size_t(outLen + finalLen) != data.size())
        throw std::runtime_error("AES operation failed");
}

} // namespace tabulant::db::crypto
