#include "Digest.h"

#include <array>
#include <memory>
#include <openssl/evp.h>
#include <stdexcept>

namespace tabulant::db::crypto {

namespace {

struct Known {
    HashAlgorithm algorithm;
    std::string_view name;
    std::size_t size;
};

constexpr std::array<Known, 5> kKnown{{
    {HashAlgorithm::Md5, "MD5", 16},
    {HashAlgorithm::Sha1, "SHA1", 20},
    {HashAlgorithm::Sha256, "SHA256", 32},
    {HashAlgorithm::Sha384, "SHA384", 48},
    {HashAlgorithm::Sha512, "SHA512", 64},
}};

const EVP_MD* Md(HashAlgorithm algorithm) {
    switch (algorithm) {
    case HashAlgorithm::Md5:
        return EVP_md5();
    case HashAlgorithm::Sha1:
        return EVP_sha1();
    case HashAlgorithm::Sha256:
        return EVP_sha256();
    case HashAlgorithm::Sha384:
        return EVP_sha384();
    case HashAlgorithm::Sha512:
        return EVP_sha512();
    }
    throw std::logic_error("unknown hash algorithm");
}

struct CtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

} // namespace

std::vector<std::uint8_t> Digest::Hash(HashAlgorithm algorithm,
                                       std::initializer_list<Bytes> parts) {
    std::unique_ptr<EVP_MD_CTX, CtxFree> ctx(EVP_MD_CTX_new());
    std::vector<std::uint8_t> out(Size(algorithm));
    unsigned int len = 0;
    bool ok = ctx && EVP_DigestInit_ex(ctx.get(), Md(algorithm), nullptr) == 1;
    for (Bytes part : parts) ok = ok && EVP_DigestUpdate(ctx.get(), part.data(), part.size()) == 1;
    ok = ok && EVP_DigestFinal_ex(ctx.get(), out.data(), &len) == 1;
    if (!ok || len != out.size()) throw std::runtime_error("message digest failed");
    return out;
}

void Digest::Stretch(HashAlgorithm algorithm, std::vector<std::uint8_t>& h, std::uint32_t rounds) {
    // One context for all rounds: a fresh one per round costs more than the hashing itself.
    std::unique_ptr<EVP_MD_CTX, CtxFree> ctx(EVP_MD_CTX_new());
    const EVP_MD* md = Md(algorithm);
    if (!ctx || h.size() != Size(algorithm)) throw std::runtime_error("message digest failed");
    for (std::uint32_t i = 0; i < rounds; ++i) {
        const std::uint8_t counter[4] = {std::uint8_t(i), std::uint8_t(i >> 8),
                                         std::uint8_t(i >> 16), std::uint8_t(i >> 24)};
        unsigned int len = 0;
        if (EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1 ||
            EVP_DigestUpdate(ctx.get(), counter, sizeof counter) != 1 ||
            EVP_DigestUpdate(ctx.get(), h.data(), h.size()) != 1 ||
            EVP_DigestFinal_ex(ctx.get(), h.data(), &len) != 1)
            throw std::runtime_error("message digest failed");
    }
}

std::size_t Digest::Size(HashAlgorithm algorithm) {
    for (const Known& k : kKnown)
        if (k.algorithm == algorithm) return k.size;
    throw std::logic_error("unknown hash algorithm");
}

std::optional<HashAlgorithm> Digest::FromName(std::string_view name) {
    for (const Known& k : kKnown)
        if (k.name == name) return k.algorithm;
    return std::nullopt;
}

std::string_view Digest::Name(HashAlgorithm algorithm) {
    for (const Known& k : kKnown)
        if (k.algorithm == algorithm) return k.name;
    throw std::logic_error("unknown hash algorithm");
}

} // namespace tabulant::db::crypto
