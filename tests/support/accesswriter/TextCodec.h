#pragma once

#include "Bytes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulant::accesswriter {

// UTF-8 to UTF-16 code units; characters outside the BMP become surrogate pairs. Throws
// AccessWriterError on malformed UTF-8, so a fixture can never hold text other than intended.
std::u16string utf16FromUtf8(std::string_view utf8);

// UCS-2LE bytes of the text.
Bytes ucs2Bytes(const std::u16string& text);

// The FF FE compressed form: one byte per unit while the high byte is 0, a 0x00 byte toggling
// between one- and two-byte mode. Empty when the text cannot be compressed (a unit whose low
// byte is 0 would read as a toggle) or when compressing would not make it shorter.
Bytes compressedUnicode(const std::u16string& text);

// Text in a single-byte code page (Jet 3); throws when a character has no mapping.
Bytes codePageBytes(std::string_view utf8, std::uint16_t codePage);

} // namespace tabulant::accesswriter
