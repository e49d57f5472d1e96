#pragma once

#include "JetFormat.h"

#include <cstddef>
#include <cstdint>

namespace tabulant::db {

// One row slot of a data page: where its bytes lie and what its offset flags say.
struct RowSlot {
    std::size_t start = 0;
    std::size_t size = 0;
    bool deleted = false;
    bool overflow = false; // the slot holds a pointer to the row's real place
    bool valid = false;    // start and size lie inside the page
};

// Reading the row table of a data (or long-value) page. Every result lies inside the page.
class DataPage {
public:
    static constexpr std::uint8_t DataPageType = 0x01;
    static constexpr std::uint8_t TableDefinitionType = 0x02;

    DataPage(const JetFormat& format, const std::uint8_t* page) : f_(format), p_(page) {}

    bool IsDataPageOf(std::uint32_t tablePage) const;
    // The number of row slots, limited to what the page can hold.
    unsigned SlotCount() const;
    // Row `row` (below SlotCount()); a slot whose extent is damaged comes back not valid.
    RowSlot Slot(unsigned row) const;

private:
    const JetFormat& f_;
    const std::uint8_t* p_;
};

} // namespace tabulant::db
