#include "CryptoErrors.h"
#include "Decryptors.h"
#include "HeaderBlock.h"
#include "Password.h"
#include "SecretBytes.h"
#include "platform/Error.h"
#include "platform/Utf16.h"
#include "platform/Wipe.h"

#include <openssl/crypto.h>

namespace tabulant::db::crypto {

std::unique_ptr<PageDecryptor> Unlock(const EncryptionInfo& info, std::u16string_view password) {
    if (info.scheme == Scheme::None || info.scheme == Scheme::JetPageEncoding) return nullptr;
    // No file can have been protected with an empty or over-long password, so neither is worth
    // the slow key derivation.
    if (password.empty() || password.size() > kMaxPasswordLength) ThrowInvalidPassword();
    const SecretBytes bytes(PasswordBytes(password));
    switch (info.scheme) {
    case Scheme::Rc4Md5:
    case Scheme::Rc4CryptoApi:
        return UnlockRc4(info, bytes.view());
    case Scheme::StandardAes:
    case Scheme::NonStandardAes:
        return UnlockEcbAes(info, bytes.view());
    case Scheme::Agile:
        return UnlockAgile(info, bytes.view());
    case Scheme::None:
    case Scheme::JetPageEncoding:
        break;
    }
    return nullptr;
}

std::unique_ptr<PageDecryptor> Unlock(const EncryptionInfo& info, std::string_view utf8Password) {
    std::optional<std::u16string> password = platform::Utf8ToUtf16(utf8Password);
    if (!password) {
        if (info.scheme != Scheme::None && info.scheme != Scheme::JetPageEncoding)
            ThrowInvalidPassword();
        return nullptr;
    }
    const platform::WipeOnExit forgetPassword(*password);
    return Unlock(info, *password);
}

void ClearEncodingKey(std::span<std::uint8_t> page0) { HeaderBlock::WriteEncodingKey(page0, 0); }

std::vector<std::uint8_t> FitTo(std::vector<std::uint8_t> bytes, std::size_t size,
                                std::uint8_t fill) {
    bytes.resize(size, fill);
    return bytes;
}

void RequireHash(Bytes expected, Bytes stored) {
    if (expected.empty() || stored.size() < expected.size() ||
        CRYPTO_memcmp(expected.data(), stored.data(), expected.size()) != 0)
        ThrowInvalidPassword();
}

void ThrowPartialPage(std::uint32_t pageNumber, std::size_t size) {
    throw platform::Error(platform::errors::Generic,
                          "Encrypted page " + std::to_string(pageNumber) + " has " +
                              std::to_string(size) + " bytes, not whole 16-byte blocks.");
}

} // namespace tabulant::db::crypto
