#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// Appends a table name between double quotes, a double quote inside it doubled, so that names
// such as Sales "old" reach PostgreSQL whole. Names without a double quote come out unchanged.
void AppendQuotedName(std::string& out, std::string_view name);

// The name under which PostgreSQL keeps a table named `table`: the server cuts identifiers to
// 63 bytes, at a character boundary. Names that long are common in languages written with
// two-byte letters; comparing them uncut with the server's table list would miss the table.
std::string_view StoredTableName(std::string_view table);

// The table statements. DROP TABLE carries no semicolon.
std::string DropTableStatement(std::string_view table);
std::string SelectAllStatement(std::string_view table); // the Access row query, grave accents

// Appends a text value escaped for a quoted literal: every "'" doubled, every carriage return
// and line feed removed (the lines are joined without a blank).
void AppendEscapedText(std::string& out, std::string_view text);

// True when AppendEscapedText would change the text.
bool NeedsEscaping(std::string_view text);

// Replaces every "," by "." in place, from position `from` on.
void CommasToPoints(std::string& text, std::size_t from = 0);

} // namespace tabulant::engine
