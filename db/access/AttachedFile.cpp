#include "AttachedFile.h"

#include "LittleEndian.h"

#include <zlib.h>

namespace tabulant::db {

namespace {

constexpr std::uint32_t StoredAsIs = 0;
constexpr std::uint32_t Deflated = 1;
constexpr std::size_t BlockHeader = 8;
constexpr std::size_t FileHeaderMinimum = 12;
// Access refuses databases over 2 GB; a larger declared length is damage, not a file.
constexpr std::uint32_t LargestFile = 0x7FFFFFFF;

std::optional<std::string> inflated(std::string_view packed, std::uint32_t length) {
    std::string out(length, '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const bool whole = status == Z_STREAM_END && z.total_out == length;
    inflateEnd(&z);
    if (!whole) return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> AttachedFileBytes(std::string_view stored) {
    if (stored.size() < BlockHeader) return std::nullopt;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(stored.data());
    const std::uint32_t packing = le::u32(bytes);
    const std::uint32_t length = le::u32(bytes + 4);
    if (length > LargestFile) return std::nullopt;
    std::optional<std::string> block;
    if (packing == Deflated) {
        block = inflated(stored.substr(BlockHeader), length);
    } else if (packing == StoredAsIs && length <= stored.size() - BlockHeader) {
        block = std::string(stored.substr(BlockHeader, length));
    }
    if (!block || block->size() < FileHeaderMinimum) return std::nullopt;
    const std::uint32_t header = le::u32(reinterpret_cast<const std::uint8_t*>(block->data()));
    if (header < FileHeaderMinimum || header > block->size()) return std::nullopt;
    block->erase(0, header);
    return block;
}

} // namespace tabulant::db
