#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// Appends a table name between double quotes, a double quote inside it doubled, so that names
// such as Sales "old" reach PostgreSQL whole. Names without a double quote come out unchanged.
void AppendQuotedName(std::string& out, std::string_view name);

// Appends the name a statement gives a table: the table's quoted name alone when no schema is
// given, else the schema's and the table's quoted names joined by a point ("s"."T").
void AppendTableName(std::string& out, std::string_view schema, std::string_view table);

// Appends a column name of CREATE TABLE. A name the server takes as it stands (letters, digits,
// "_" and "$", not starting with a digit or "$", and no reserved word) is written unquoted, and
// the server folds it to lower case. Any other name, such as Order, User, 1st or Weight(k, would
// make the whole CREATE TABLE fail: it is written between double quotes, lower-cased the way
// the server folds unquoted names (ASCII letters only), so it names the column an unquoted name
// would have named. An empty name is written as it is.
void AppendColumnName(std::string& out, std::string_view name);

// The name under which PostgreSQL keeps a table named `table`: the server cuts identifiers to
// 63 bytes, at a character boundary. Names that long are common in languages written with
// two-byte letters; comparing them uncut with the server's table list would miss the table.
std::string_view StoredTableName(std::string_view table);

// The statement that makes sure a schema exists: CREATE SCHEMA IF NOT EXISTS "s".
std::string CreateSchemaStatement(std::string_view schema);

// The table statements. DROP TABLE carries no semicolon.
std::string DropTableStatement(std::string_view table, std::string_view schema = {});
std::string SelectAllStatement(std::string_view table); // the Access row query, grave accents

// True when a text needs more than to be put between single quotes: it holds a "'", a carriage
// return or a line feed.
bool NeedsEscaping(std::string_view text);

// True when the text holds a carriage return or a line feed.
bool HoldsLineBreak(std::string_view text);

// Appends a text value escaped for a quoted literal: every "'" doubled. For a text without line
// breaks.
void AppendEscapedText(std::string& out, std::string_view text);

// Appends the body of an escape string literal (E'...') holding the text: "'" doubled, "\"
// doubled, carriage return and line feed written as \r and \n. A statement stays one line of
// the preview and its line breaks still reach the server.
void AppendEscapeStringBody(std::string& out, std::string_view text);

// Replaces every "," by "." in place, from position `from` on, and every regional decimal
// separator other than "." (such as the Arabic one, U+066B), so that a number text becomes a
// literal the server reads.
void DecimalSeparatorsToPoints(std::string& text, std::string_view separator, std::size_t from = 0);

} // namespace tabulant::engine
