#pragma once

#include "AccessWriter.h"
#include "TableState.h"

#include <memory>
#include <vector>

namespace tabulant::accesswriter {

// One catalogue row to be: a filled table (table set) or a bare entry.
struct CatalogItem {
    TableWriter::State* table = nullptr;
    CatalogEntry entry;
};

// The system catalogue table MSysObjects with its rows written: the "Tables" container, its own
// row, then one row per item in order. Tables must already have their definition page.
std::unique_ptr<TableWriter::State> buildCatalog(const std::vector<CatalogItem>& items,
                                                 const WriterOptions& options, PageFile& file,
                                                 LongValueStore& longValues,
                                                 const FormatLayout& layout);

} // namespace tabulant::accesswriter
