#include "TableScanner.h"

#include "AccessErrors.h"
#include "LittleEndian.h"
#include "PageStore.h"

namespace tabulant::db {

namespace {
// A moved row may in principle be moved again; real files never chain more than once.
constexpr int MaxOverflowHops = 4;
} // namespace

TableScanner::TableScanner(PageStore& pages, const JetFormat& format, std::uint32_t tablePage,
                           std::vector<std::uint32_t> dataPages, std::string tableName)
    : pages_(pages), format_(format), tablePage_(tablePage), dataPages_(std::move(dataPages)),
      tableName_(std::move(tableName)), page_(format.pageSize), overflow_(format.pageSize) {}

bool TableScanner::loadPage(std::size_t index) {
    pageLoaded_ = pages_.Read(dataPages_[index], page_.data()) &&
                  DataPage(format_, page_.data()).IsDataPageOf(tablePage_);
    slot_ = 0;
    return pageLoaded_;
}

bool TableScanner::Next() {
    while (pageIndex_ < dataPages_.size()) {
        if (!pageLoaded_ && !loadPage(pageIndex_)) {
            ++pageIndex_;
            continue;
        }
        DataPage page(format_, page_.data());
        while (slot_ < page.SlotCount()) {
            const RowSlot s = page.Slot(slot_++);
            if (s.deleted) continue;
            if (!s.valid) throw DamagedTable(tableName_);
            if (s.overflow) {
                if (!followOverflow(s)) throw DamagedTable(tableName_);
            } else {
                rowPage_ = page_.data();
                rowPageNumber_ = dataPages_[pageIndex_];
                rowStart_ = s.start;
                rowSize_ = s.size;
            }
            return true;
        }
        pageLoaded_ = false;
        ++pageIndex_;
    }
    rowPage_ = nullptr;
    return false;
}

bool TableScanner::Seek(Place place) {
    if (place.pageIndex >= dataPages_.size()) return false;
    if (!pageLoaded_ || pageIndex_ != place.pageIndex) {
        pageIndex_ = place.pageIndex;
        if (!loadPage(pageIndex_)) return false;
    }
    slot_ = place.slot;
    return Next();
}

bool TableScanner::followOverflow(const RowSlot& first) {
    const std::uint8_t* from = page_.data();
    RowSlot s = first;
    for (int hop = 0; hop < MaxOverflowHops; ++hop) {
        if (s.size < 4) return false;
        const unsigned row = from[s.start];
        const std::uint32_t target = le::u32(from + s.start) >> 8;
        if (!pages_.Read(target, overflow_.data())) return false;
        DataPage page(format_, overflow_.data());
        if (!page.IsDataPageOf(tablePage_)) return false;
        // The moved row's own slot carries the deleted flag, so the walk does not meet it twice.
        s = page.Slot(row);
        if (!s.valid) return false;
        if (!s.overflow) {
            rowPage_ = overflow_.data();
            rowPageNumber_ = target;
            rowStart_ = s.start;
            rowSize_ = s.size;
            return true;
        }
        from = overflow_.data();
    }
    return false;
}

std::int64_t TableScanner::CountLiveRows(platform::EventLoop* events) const {
    std::vector<std::uint8_t> buffer(format_.pageSize);
    std::int64_t n = 0;
    for (const std::uint32_t p : dataPages_) {
        if (events) events->yield();
        if (!pages_.Read(p, buffer.data())) continue;
        DataPage page(format_, buffer.data());
        if (!page.IsDataPageOf(tablePage_)) continue;
        const unsigned slots = page.SlotCount();
        for (unsigned i = 0; i < slots; ++i)
            if (!page.Slot(i).deleted) ++n;
    }
    return n;
}

} // namespace tabulant::db
