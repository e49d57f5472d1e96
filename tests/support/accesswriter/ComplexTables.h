#pragma once

#include "AccessWriter.h"

#include <functional>
#include <string>
#include <vector>

namespace tabulant::accesswriter {

// Adds the tables Access keeps behind complex columns: one type table per kind used, one hidden
// flat table per column holding its values, and MSysComplexColumns naming them. `addTable` adds a
// table to the file being written; `ownerPage` gives the definition page of a user table and
// sets the ComplexID of its complex column (throwing AccessWriterError when either is missing).
using AddTable = std::function<TableWriter&(const std::string&, std::vector<Column>, TableOptions)>;
using OwnerPage = std::function<std::uint32_t(const ComplexColumn&, std::uint32_t complexId)>;
void addComplexTables(const std::vector<ComplexColumn>& columns, const AddTable& addTable,
                      const OwnerPage& ownerPage);

} // namespace tabulant::accesswriter
