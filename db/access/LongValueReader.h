#pragma once

#include "DataPage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db {

class PageStore;

// Reads Memo and OLE values from the 12-byte reference a row holds: inline, one row of a
// long-value page, or a chain of such rows. Thread: one reader.
class LongValueReader {
public:
    static constexpr std::size_t ReferenceSize = 12;

    LongValueReader(PageStore& pages, const JetFormat& format);

    // Appends the stored bytes to `out`; false when the reference or a page it names is damaged.
    bool Read(const std::uint8_t* reference, std::size_t cellSize, std::string& out);

private:
    const std::uint8_t* row(std::uint32_t pointer, std::size_t& size);

    PageStore& pages_;
    const JetFormat& format_; // one of the static format descriptions
    std::vector<std::uint8_t> page_;
    std::uint32_t loaded_ = 0;
    bool haveLoaded_ = false;
};

} // namespace tabulant::db
