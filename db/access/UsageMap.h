#pragma once

#include "DataPage.h"

#include <cstdint>
#include <vector>

namespace tabulant::db {

class PageStore;

// The pages a usage map names, ascending, each below the file's page count. Type 0 maps carry a
// bitmap inline after a start page; type 1 maps name bitmap pages, each covering a fixed range.
// A damaged map yields fewer pages, never an error.
std::vector<std::uint32_t> UsageMapPages(PageStore& pages, const JetFormat& format,
                                         const std::vector<std::uint8_t>& map);

} // namespace tabulant::db
