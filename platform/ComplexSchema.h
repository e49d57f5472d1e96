#pragma once

namespace tabulant::platform {

// Two rowsets for the fields whose values are kept apart from their rows (Access's multi-valued,
// attachment and version-history fields); ADO has no such rowsets. A provider without such fields
// fails them or gives no rows. Texts are UTF-8; absent values are null.
//
// adSchemaComplexColumns (Connection::OpenSchema), a row per such field of the tables the tables
// schema lists as "TABLE", by table then the file's order: TABLE_NAME, COLUMN_NAME,
// COMPLEX_KIND ("multi-valued", "attachment", "version history"), VALUE_TYPE (the Access type of
// a multi-valued field's values, as adSchemaColumns' ACCESS_TYPE names it; "Memo" for a version
// history; null for attachments), DAMAGE (why the field's values cannot be read; null when they
// can).
inline constexpr int adSchemaComplexColumns = 90;

// adSchemaComplexValues (Connection::OpenTableSchema, restricted to one table), a row per value,
// by field (the order above), then owning row, then the order stored: COLUMN_NAME, PARENT_ROW
// (the owning row's position among the table's rows as its record set gives them, 1 = first),
// VALUE (a multi-valued field's value in its own type; a version's text), VALUE_DATE (when the
// version was saved), FILE_NAME, FILE_TYPE, FILE_TIMESTAMP, FILE_DATA (an attachment's file,
// its bytes as they were attached), FILE_URL and FILE_FLAGS (the attachment's other two parts, as
// stored; null when the file's attachments have none), DAMAGE (why FILE_DATA cannot be read; null
// when it can). Values whose owning row is not among the table's rows are left out. The rows are
// read as they are walked (one file held at a time), so RecordCount cannot tell.
inline constexpr int adSchemaComplexValues = 91;

} // namespace tabulant::platform
