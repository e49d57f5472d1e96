#pragma once

#include "dialect/Catalog.h"

#include <string>
#include <utility>
#include <vector>

namespace tabulant::engine::typed {

// The Caption properties of a query's output columns (the column as the query's properties name
// it, the caption) from the views schema's NUL-separated text.
std::vector<std::pair<std::string, std::string>> SplitCaptions(const std::string& stored);

// COMMENT ON COLUMN of view `view` (PostgreSQL's name) for each caption that names one of its
// `columns`: the column name stays what Access's SQL calls it, the caption (what Access shows
// as the column's heading) becomes its comment. A property naming no column of the query (one
// Access kept after the column was removed) is left out.
std::vector<std::string>
CaptionStatements(const std::string& view, const std::vector<dialect::RelationColumn>& columns,
                  const std::vector<std::pair<std::string, std::string>>& captions);

} // namespace tabulant::engine::typed
