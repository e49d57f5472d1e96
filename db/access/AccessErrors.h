#pragma once

#include "platform/Error.h"

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db {

// The failures of the Access reader, worded like the Jet engine's own messages. The numbers are
// the ones ADO reports for them through the Jet and ACE providers: the HRESULT of the OLE DB
// error (0x80040E4D for the password, 0x80040E37 for a missing table, 0x80040E14 for a statement
// the reader does not run) or E_FAIL (0x80004005) for damage.
namespace accesserrors {
inline constexpr long InvalidPassword = -2147217843;
inline constexpr long NoSuchTable = -2147217865;
inline constexpr long Syntax = -2147217900;
inline constexpr long Failure = -2147467259;
} // namespace accesserrors

platform::Error NotValidPassword();
platform::Error UnrecognizedFormat(std::string_view path);
platform::Error CannotOpenFile(std::string_view path);
// The file is there but this account may not read it (or it is not a regular file).
platform::Error CannotReadFile(std::string_view path);
platform::Error DamagedTable(std::string_view table);
platform::Error DamagedIndexes(std::string_view table);
platform::Error DamagedRelationship(std::string_view name);
// Fields of a table whose values could not be read and are given as null instead (a warning).
platform::Error DamagedFields(std::string_view table, const std::vector<std::string>& fields);
platform::Error NoSuchTable(std::string_view table);
platform::Error UnsupportedStatement(std::string_view statement);

} // namespace tabulant::db
