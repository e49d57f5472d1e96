#pragma once

#include "Bytes.h"
#include "DataPage.h"
#include "PageFile.h"

#include <cstdint>

namespace tabulant::accesswriter {

// Long-value (LVAL) pages shared by all tables of a file. Each store call returns the page
// pointer the row's 12-byte header refers to.
class LongValueStore {
public:
    LongValueStore(PageFile& file, const FormatLayout& layout);

    // The largest value one LVAL row can hold.
    std::uint32_t singlePageLimit() const { return layout_.maxRowLength(); }
    // The whole value as one row.
    std::uint32_t storeSingle(const Bytes& value);
    // The value in linked pieces (each row: int32 pointer to the next piece, then data). With
    // atLeastTwo, even a short value is split, so a chain is really exercised.
    std::uint32_t storeChain(const Bytes& value, bool atLeastTwo);
    void flush();

private:
    std::uint32_t place(const std::uint8_t* data, std::size_t n);
    void startPage();

    PageFile& file_;
    const FormatLayout& layout_;
    DataPage page_;
    std::uint32_t pageNo_ = 0;
    bool open_ = false;
};

} // namespace tabulant::accesswriter
