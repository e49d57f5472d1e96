#pragma once

#include "platform/Cursor.h"

#include <memory>

namespace tabulant::db {

class AccessDatabase;

// The views schema rowset (platform/ViewsSchema.h): a row per saved query, by name. Errors:
// platform::Error when MSysQueries cannot be read at all; a damaged query is a row with DAMAGE.
std::unique_ptr<platform::Cursor> ViewsSchema(AccessDatabase& database);

} // namespace tabulant::db
