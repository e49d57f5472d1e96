#pragma once

#include "db/crypto/CryptoErrors.h"
#include "db/crypto/EncryptionInfo.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tabulant::db::crypto {

// The page cipher of an unlocked file. Pages are numbered as in the file; page 0 is never
// encrypted. Immutable once made: Decrypt and Encrypt may run on several threads at once. Key
// material lives only in memory and is wiped when the object goes.
class PageDecryptor {
public:
    virtual ~PageDecryptor() = default;

    // Decrypts one page in place. AES schemes need whole 16-byte blocks (a page of an ACE file
    // is 4096 bytes); a page of another length throws platform::Error (errors::Generic).
    virtual void Decrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const = 0;
    // The inverse, for writing protected files.
    virtual void Encrypt(std::uint32_t pageNumber, std::span<std::uint8_t> page) const = 0;
};

// Checks `password` the way the file's scheme defines and returns the page cipher. A wrong,
// empty or over-long (more than 255 UTF-16 units) password, or malformed UTF-8, throws
// platform::Error(kInvalidPasswordNumber, "Not a valid password."). Gives nullptr for Scheme::None
// and Scheme::JetPageEncoding, whose pages need no password (the reader's JetPageCodec undoes the
// encoding). Slow on purpose for the agile
// and standard AES schemes (up to 100,000 hash rounds).
std::unique_ptr<PageDecryptor> Unlock(const EncryptionInfo& info, std::u16string_view password);
std::unique_ptr<PageDecryptor> Unlock(const EncryptionInfo& info, std::string_view utf8Password);

// Makes the encoding key at 0x3E of a (copied) page 0 read 0, so that a reader that applies
// Jet page decoding by that key (libmdb's own file reading does) takes already decrypted pages
// as plain. The rest of page 0 is left as it is. Throws like ReadEncryption when page0 is too
// short.
void ClearEncodingKey(std::span<std::uint8_t> page0);

} // namespace tabulant::db::crypto
