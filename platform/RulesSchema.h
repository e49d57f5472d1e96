#pragma once

namespace tabulant::platform {

// The check-constraints schema rowset (ADO's adSchemaCheckConstraints), as Connection::OpenSchema
// gives it for an Access file: the rules and descriptions of the "TABLE" tables themselves. A row
// per condition, by table: TABLE_NAME, CONSTRAINT_NAME (the name a data-definition statement gave
// it; null for the table's validation rule), CHECK_CLAUSE (an Access expression over the table's
// fields), DESCRIPTION (the validation rule's text, shown to whoever breaks it), and columns ADO
// lacks: TABLE_DESCRIPTION (the table's Description, on each of its rows) and DAMAGE (why the
// table's properties could be read only in part). A table without conditions has one row with a
// null CHECK_CLAUSE when it has a description or damage. The columns' own properties are columns
// of adSchemaColumns: COLUMN_DEFAULT (DefaultValue, an Access expression), DESCRIPTION,
// VALIDATION_RULE, VALIDATION_TEXT, ALLOW_ZERO_LENGTH (null when the file does not say).
// A provider without such properties fails it or gives no rows.
inline constexpr int adSchemaCheckConstraints = 5;

} // namespace tabulant::platform
