#pragma once

#include "engine/InsertLiterals.h"

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::verify {

// How a column's values read as text on the server (what column::text gives), by its type.
enum class TextForm { Text, Boolean, Whole, Numeric, Real, Double, Timestamp, Uuid, Bytea };

struct ColumnForm {
    TextForm form = TextForm::Text;
    int scale = -1; // NUMERIC(p,s): s; -1 when every value keeps its own scale
};

// The form of a column whose type the server names as format_type() does ("integer",
// "numeric(19,4)", "character varying(27)", "timestamp without time zone"). Unknown types read
// as text.
ColumnForm FormOfType(std::string_view serverType);

// The values of a row statement are read by the engine's reader, as the bulk load reads them.
using engine::Literal;
using engine::ReadInsertValues;

// Appends the text the server shows for `literal` once stored in a column of `form`: numbers
// at the column's scale, PostgreSQL's shortest forms of REAL and DOUBLE PRECISION values,
// booleans as true and false, UUIDs in lower case with hyphens, the bodies of quoted texts
// with their quotes and escapes undone. False, appending nothing, for NULL.
bool AppendServerText(std::string& out, const Literal& literal, ColumnForm form);

// The server's text of a number written as `text` ("-1.50", "1E+20", ".5") at `scale` digits
// after the point, rounded half away from zero; at its own scale when `scale` is -1. False for
// a text that is no number.
bool AppendNumericText(std::string& out, std::string_view text, int scale);

// The server's shortest text of a DOUBLE PRECISION value, or of a REAL one when `single`.
void AppendFloatText(std::string& out, double value, bool single);

} // namespace tabulant::engine::verify
