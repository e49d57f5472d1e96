#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::db {

// The file an attachment's FileData holds. Access keeps it as a small block: int32 0 (stored as
// is) or 1 (deflated, zlib stream), int32 the unpacked length, then the packed bytes. Unpacked,
// the block starts with a header: int32 its length, int32 1, int32 the length in characters of
// the file's extension, the extension in UTF-16 ending in a 0 character; the file's own bytes
// follow the header. Returns those bytes, or nullopt when the block is damaged (a length that
// does not fit, a stream that does not inflate to the length it declares).
std::optional<std::string> AttachedFileBytes(std::string_view stored);

} // namespace tabulant::db
