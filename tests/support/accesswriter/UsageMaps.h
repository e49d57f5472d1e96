#pragma once

#include "DataPage.h"
#include "PageFile.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tabulant::accesswriter {

// Writes the usage-map rows of every table: an inline bitmap when the table's pages lie close
// together, otherwise a list of bitmap pages (type 0x05) that together cover the whole file.
// The first rows go on page 1, which the writer reserves for them.
class UsageMaps {
public:
    UsageMaps(PageFile& file, const FormatLayout& layout);

    // Returns the pointers to the usage map and the free-space map of a table owning `pages`
    // (ascending).
    std::pair<std::uint32_t, std::uint32_t> add(const std::vector<std::uint32_t>& pages);
    void flush();

    // Largest inline bitmap, in bytes (512 pages, as Access keeps it), before a map switches to
    // bitmap pages.
    static constexpr std::uint32_t kInlineBitmapLimit = 64;

private:
    std::uint32_t place(const Bytes& row);

    PageFile& file_;
    const FormatLayout& layout_;
    DataPage page_;
    std::uint32_t pageNo_ = 1;
};

} // namespace tabulant::accesswriter
