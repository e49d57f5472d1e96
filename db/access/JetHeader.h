#pragma once

#include "JetFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tabulant::db {

class TextDecoder;

// What page 0 of an Access file says about the file. The block from 0x18 is stored obfuscated
// with a fixed RC4 key; ReadJetHeader undoes that on its own copy.
struct JetHeader {
    static constexpr std::size_t MinimumSize = 0x18 + 128;

    int version = 0; // 0 Jet 3, 1 Jet 4, 2..6 the ACE releases
    int codePage = 1252;
    std::uint32_t encodingKey = 0;  // non-zero: pages are encoded (Jet) or encrypted (ACE)
    std::uint8_t password[40] = {}; // the stored password field, unmasked

    const JetFormat& Format() const { return JetFormat::ForVersion(version); }
    // A protected .accdb is encrypted as a whole with the Office scheme, which needs the
    // password to read anything beyond page 0.
    bool officeEncrypted() const { return version >= 2 && encodingKey != 0; }

    // The database password as stored, empty when the file has none. The caller wipes it (and
    // `password`) once it has been compared.
    std::string StoredPassword(TextDecoder& codePageText) const;
};

// Whether the first bytes carry the mark every Jet 3, Jet 4 and ACE file begins with (the file
// may still be damaged beyond it).
bool HasJetSignature(const std::uint8_t* data, std::size_t size);

// Reads the header from the first bytes of the file; no value when they are not the header of a
// Jet 3, Jet 4 or ACE database.
std::optional<JetHeader> ReadJetHeader(const std::uint8_t* data, std::size_t size);

} // namespace tabulant::db
