#pragma once

#include "AccessWriter.h"
#include "Bytes.h"
#include "FormatLayout.h"

namespace tabulant::accesswriter {

// Page 0: engine name, version, and the obfuscated block with code page, page-encoding key,
// database password, sort order and creation date.
Bytes fileHeader(const WriterOptions& options, const FormatLayout& layout);

// The 4-byte XOR mask of a Jet 4 password: the creation date's whole days, little-endian.
std::uint32_t passwordMask(double creationDate);

} // namespace tabulant::accesswriter
