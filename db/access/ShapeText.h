#pragma once

#include "DatabaseShape.h"

#include <string>
#include <string_view>

namespace tabulant::db {

// The shape as text, one tab-separated line per item (the form `access-dump --schema` prints;
// db/access/README.md describes it): per table a "table" line, its "column" lines and its
// "index" lines, then the "relationship" lines.
std::string ShapeText(const DatabaseShape& shape);

// A field of such a line: tab, LF, CR and backslash written as \t, \n, \r and \\.
void AppendEscaped(std::string_view text, std::string& out);

} // namespace tabulant::db
