#pragma once

#include "platform/Variant.h"

#include <string>
#include <string_view>

namespace tabulant::engine::typed {

// The literals of the typed conversion. None depends on a server setting (DateStyle, lc_numeric,
// standard_conforming_strings, bytea_output), and each gives back the value it was made from:
//   Null           NULL
//   Boolean        TRUE, FALSE
//   Integer        decimal digits
//   Currency       exact, four digits after the point: 12.3400
//   Decimal        the exact decimal text
//   Single, Double the shortest decimal that reads back as the same binary value (1.5, 0.1,
//                  1e+20); 'NaN', 'Infinity', '-Infinity' quoted
//   Date           ISO 'yyyy-mm-dd hh:mm:ss[.ffffff]' (' BC' for years before 1), to the nearest
//                  microsecond, PostgreSQL's resolution; 'infinity' and '-infinity'. A date
//                  PostgreSQL cannot hold (NaN; beyond its range) becomes a quoted text that the
//                  server refuses and names, so that its row is reported, never changed.
//   Text           '...' with "'" doubled; E'...' when it holds a backslash, line break or NUL
//                  (written \\, \r, \n, \000: the server refuses the NUL, which no PostgreSQL
//                  text can hold, and the line still shows whole)
//   Binary         E'\\x0a1b...'::bytea
// Allocation-free once `out` has grown to the longest statement.
void AppendTypedLiteral(std::string& out, const platform::Variant& value);

// The text forms inside some literals, for callers and tests; AppendTimestampText without the
// quotes.
void AppendTimestampLiteral(std::string& out, double oleDate);
void AppendTimestampText(std::string& out, double oleDate);
void AppendTextLiteral(std::string& out, std::string_view text);

// Appends the COPY text field (engine/CopyText.h) that the server reads as the same value as
// the literal AppendTypedLiteral writes, so that a bulk load need not write the literal; returns
// the letter AppendTypedStatement needs to write the literal from the field.
char AppendTypedCopyField(std::string& out, const platform::Variant& value);

// Appends `into` (INSERT INTO "T"), then VALUES (...); with the literals of the fields of
// `line`, a COPY line of AppendTypedCopyField's fields whose letters are `forms`: the statement
// that AppendTypedLiteral's values make (an engine::CopyRow::StatementWriter).
void AppendTypedStatement(std::string& out, std::string_view into, std::string_view line,
                          std::string_view forms);

} // namespace tabulant::engine::typed
