#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// The COPY text format a bulk load sends: one line per row, fields separated by a tab, \N for
// Null, and in a value a backslash, tab, line feed and carriage return written \\, \t, \n, \r
// (a NUL byte as \000, which the server refuses as it refuses the same text in an INSERT).

// COPY "T" FROM STDIN, or COPY "s"."T" FROM STDIN: the statement that starts the rows of a table.
std::string CopyFromStdinStatement(std::string_view table, std::string_view schema = {});

// Appends `value` escaped for a COPY text field.
void AppendCopyField(std::string& out, std::string_view value);

// Appends the value of a COPY text field: the escapes AppendCopyField writes undone, as the
// server undoes them (\\, \t, \n, \r, \b, \f, \v, octal \ooo); \N is not told apart.
void AppendCopyFieldValue(std::string& out, std::string_view field);

// Appends the COPY line (with its '\n') of a row statement as the run makes it,
// INSERT INTO "T" VALUES (v1, v2, ...); read as InsertLiterals.h reads it: NULL, numbers, TRUE
// and FALSE, quoted texts. Each field is the text the server reads from the literal, so that the
// server gets the same values either way.
// Returns false and appends nothing for any other statement (DEFAULT VALUES, a value that is no
// plain literal, an escape the server refuses); such a row is sent as its statement.
bool AppendCopyLine(std::string_view insert, std::string& out);

} // namespace tabulant::engine
