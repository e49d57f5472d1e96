#include "DataPage.h"

#include "LittleEndian.h"

namespace tabulant::db {

namespace {
constexpr std::uint16_t DeletedFlag = 0x8000;
constexpr std::uint16_t OverflowFlag = 0x4000;
constexpr std::uint16_t OffsetMask = 0x1FFF;
} // namespace

bool DataPage::IsDataPageOf(std::uint32_t tablePage) const {
    return p_[0] == DataPageType && le::u32(p_ + 4) == tablePage;
}

unsigned DataPage::SlotCount() const {
    const std::size_t rco = f_.rowCountOffset;
    const unsigned n = le::u16(p_ + rco);
    const unsigned room = static_cast<unsigned>((f_.pageSize - rco - 2) / 2);
    return n < room ? n : room;
}

RowSlot DataPage::Slot(unsigned row) const {
    RowSlot s;
    if (row >= SlotCount()) return s;
    const std::size_t rco = f_.rowCountOffset;
    const std::uint16_t raw = le::u16(p_ + rco + 2 + 2 * row);
    const std::size_t start = raw & OffsetMask;
    // Rows are packed downwards from the end of the page, so a row ends where the one before
    // it starts.
    const std::size_t end = row == 0 ? f_.pageSize : (le::u16(p_ + rco + 2 * row) & OffsetMask);
    const std::size_t tableEnd = rco + 2 + 2 * static_cast<std::size_t>(SlotCount());
    s.deleted = (raw & DeletedFlag) != 0;
    s.overflow = (raw & OverflowFlag) != 0;
    if (start < tableEnd || start >= end || end > f_.pageSize) return s;
    s.start = start;
    s.size = end - start;
    s.valid = true;
    return s;
}

} // namespace tabulant::db
