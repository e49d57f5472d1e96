#pragma once

#include "platform/EventLoop.h"

#include "DataPage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db {

class PageStore;

// Walks the live rows of one table, page by page in usage-map order and slot by slot, skipping
// deleted rows and following the pointer of a moved row to its real place. Only pages that say
// they belong to the table are read. Thread: one reader.
class TableScanner {
public:
    TableScanner(PageStore& pages, const JetFormat& format, std::uint32_t tablePage,
                 std::vector<std::uint32_t> dataPages, std::string tableName);

    // Moves to the next live row; false after the last. Throws platform::Error for a row whose
    // place on its page is damaged.
    bool Next();
    const std::uint8_t* Page() const { return rowPage_; }
    std::uint32_t PageNumber() const { return rowPageNumber_; }
    std::size_t RowStart() const { return rowStart_; }
    std::size_t RowSize() const { return rowSize_; }

    // Where the current row's slot is; Seek comes back to it without walking the rows between.
    struct Place {
        std::size_t pageIndex = 0;
        unsigned slot = 0;
    };
    Place Current() const { return {pageIndex_, slot_ - 1}; }
    // Moves to the row at `place` (from Current of this scanner), as Next would; the walk goes
    // on from there. False when the row's page cannot be read.
    bool Seek(Place place);

    // The number of live rows from the row tables alone (no row is decoded); independent of the
    // walk. It reads every data page of the table, so it yields to `events` (when given) as it
    // goes: on a table of millions of rows that is tens of milliseconds.
    std::int64_t CountLiveRows(platform::EventLoop* events = nullptr) const;

private:
    bool loadPage(std::size_t index);
    bool followOverflow(const RowSlot& slot);

    PageStore& pages_;
    const JetFormat& format_; // one of the static format descriptions
    std::uint32_t tablePage_;
    std::vector<std::uint32_t> dataPages_;
    std::string tableName_;

    std::vector<std::uint8_t> page_;
    std::vector<std::uint8_t> overflow_;
    std::size_t pageIndex_ = 0;
    bool pageLoaded_ = false;
    unsigned slot_ = 0;

    const std::uint8_t* rowPage_ = nullptr;
    std::uint32_t rowPageNumber_ = 0;
    std::size_t rowStart_ = 0;
    std::size_t rowSize_ = 0;
};

} // namespace tabulant::db
