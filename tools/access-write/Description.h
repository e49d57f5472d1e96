#pragma once

// A small line format describing an Access file, so fixtures and the sample database can be kept
// as readable text. One record per line, fields separated by tabs, '#' starts a comment line:
//
//   format   jet3 | jet4 | ace2007 | ace2010 | ace2013 | ace2016 | ace2019
//   password <text>
//   table    <name> [system] [flags=<number>] [storedrows=<count in the definition>]
//                   [counter=<last AutoNumber handed out>]
//   column   <name> <type> [size=N] [fixed] [hyperlink] [auto] [calculated] [uncompressed]
//                          [precision=P] [scale=S] [storage=inline|page|chain] [required]
//   property <name> <value>   (DefaultValue, ValidationRule, Description, ...: of the column
//            it follows, or of its table when it follows the table line)
//   index    <name> [primary] [unique] [ignorenulls] [required] key=<column> | desc=<column> ...
//            (after the columns of its table, before its rows; key columns in order)
//   relationship <name> <table> <referenced table> [notenforced] [cascadeupdate]
//            [cascadedelete] [cascadesetnull] [onetoone] column=<c> references=<r> ...
//   row | deleted | moved   <value> ...     (one value per column of the last table)
//   query    <name>
//   linked   <name> <foreign name> <database path>
//   odbc     <name> <foreign name> <connection string>
//   entry    <name> <type number> <flags>
//
// Types: yesno byte integer long currency single double datetime binary text ole memo guid
// decimal bigint datetime2. Values: \N is null; \t \n \r \\ are escapes; yes/no values are
// yes/no/true/false/1/0; dates are YYYY-MM-DD[ hh:mm:ss]; binary and OLE values are 0x<hex>,
// @bitmap <width>x<height> (a generated 24-bit picture) or plain text bytes.

#include "AccessWriter.h"

#include <filesystem>
#include <istream>
#include <string>

namespace tabulant::accesswriter {

// Thrown with the line number for anything the format does not allow.
class DescriptionError : public AccessWriterError {
public:
    DescriptionError(int line, const std::string& what)
        : AccessWriterError("line " + std::to_string(line) + ": " + what) {}
};

// Writes the described file to `output`.
void writeDescribed(std::istream& description, const std::filesystem::path& output);

// One cell of a description, as the column type reads it.
platform::Variant parseValue(const std::string& field, const Column& column);

// The text of a field with its escapes resolved.
std::string unescapeField(const std::string& field);

} // namespace tabulant::accesswriter
