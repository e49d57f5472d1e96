#include "LongValueReader.h"

#include "LittleEndian.h"
#include "PageStore.h"

#include <unordered_set>

namespace tabulant::db {

namespace {
constexpr std::uint32_t InlineFlag = 0x80000000u;
constexpr std::uint32_t SingleRowFlag = 0x40000000u;
constexpr std::uint32_t LengthMask = 0x3FFFFFFFu;
} // namespace

LongValueReader::LongValueReader(PageStore& pages, const JetFormat& format)
    : pages_(pages), format_(format), page_(format.pageSize) {}

const std::uint8_t* LongValueReader::row(std::uint32_t pointer, std::size_t& size) {
    const std::uint32_t pageNumber = pointer >> 8;
    if (!haveLoaded_ || loaded_ != pageNumber) {
        haveLoaded_ = false;
        if (!pages_.Read(pageNumber, page_.data())) return nullptr;
        loaded_ = pageNumber;
        haveLoaded_ = true;
    }
    const RowSlot s = DataPage(format_, page_.data()).Slot(pointer & 0xFF);
    if (!s.valid) return nullptr;
    size = s.size;
    return page_.data() + s.start;
}

bool LongValueReader::Read(const std::uint8_t* ref, std::size_t cellSize, std::string& out) {
    if (cellSize < ReferenceSize) return false;
    const std::uint32_t head = le::u32(ref);
    const std::size_t length = head & LengthMask;
    const std::uint32_t pointer = le::u32(ref + 4);

    if (head & InlineFlag) {
        if (length > cellSize - ReferenceSize) return false;
        out.append(reinterpret_cast<const char*>(ref + ReferenceSize), length);
        return true;
    }
    std::size_t size = 0;
    if (head & SingleRowFlag) {
        const std::uint8_t* p = row(pointer, size);
        if (!p || length > size) return false;
        out.append(reinterpret_cast<const char*>(p), length);
        return true;
    }
    // A chain: each row starts with the pointer to the next one.
    std::size_t remaining = length;
    std::uint32_t next = pointer;
    std::unordered_set<std::uint32_t> seen;
    while (remaining > 0) {
        if (next == 0 || !seen.insert(next).second) return false;
        const std::uint8_t* p = row(next, size);
        if (!p || size < 4) return false;
        next = le::u32(p);
        const std::size_t piece = std::min(size - 4, remaining);
        out.append(reinterpret_cast<const char*>(p + 4), piece);
        remaining -= piece;
    }
    return true;
}

} // namespace tabulant::db
