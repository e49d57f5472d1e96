#pragma once

namespace tabulant::platform {

// The views schema rowset (ADO's adSchemaViews), as Connection::OpenSchema gives it for an Access
// file: a row per saved query, by name (letter case ignored): TABLE_CATALOG, TABLE_SCHEMA (both
// null), TABLE_NAME, VIEW_DEFINITION (its SQL in Access's dialect, one statement ending in ";";
// null when damaged), and columns ADO lacks: QUERY_TYPE ("select", "union", "crosstab",
// "append", "update", "delete", "make-table", "data-definition", "pass-through"), DAMAGE (why
// the query cannot be read, naming it; null when it can), DESCRIPTION (its Description; null
// when none), COLUMN_CAPTIONS (the Caption of its output columns: the column as the query's
// properties name it, then the caption, each ended by a NUL; null when none), IS_HIDDEN,
// IS_RECORD_SOURCE (a "~sq_" query Access keeps for a form, report or control). A provider
// without saved queries fails it or gives no rows.
inline constexpr int adSchemaViews = 23;

} // namespace tabulant::platform
