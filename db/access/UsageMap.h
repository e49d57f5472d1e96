#pragma once

#include "DataPage.h"

#include <cstdint>
#include <vector>

namespace tabulant::db {

class PageStore;

// The pages a usage map names, ascending, each below the file's page count. Type 0 maps carry a
// bitmap inline after a start page; type 1 maps name bitmap pages, each covering a fixed range.
// A page past the end of the file is left out and counted in `missing` (a cut file).
std::vector<std::uint32_t> UsageMapPages(PageStore& pages, const JetFormat& format,
                                         const std::vector<std::uint8_t>& map,
                                         std::uint64_t& missing);

} // namespace tabulant::db
