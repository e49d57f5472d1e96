#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::db {

// The connection string that opens `dataSource` with `password`: the ACE provider when the name
// ends in "accdb" (any letter case), the Jet 4 provider otherwise. Values are written as they
// are; ParseAccessConnectionString reads them back. The text holds the password: callers wipe it
// once it has been used (platform::Wipe).
// `codePage`, when not 0, names the code page of a Jet 3 file's texts in place of its header's;
// it is written before the data source ("Code Page=936;").
std::string AccessConnectionString(std::string_view dataSource, std::string_view password,
                                   int codePage = 0);

struct AccessSource {
    std::string dataSource;
    std::string password;
    int codePage = 0; // 0: the header's
};

// Reads back the string AccessConnectionString builds. The values are written unquoted, so a
// path or password holding ";" cannot be split at semicolons: the data source starts after the
// first "Data Source=" and runs up to the LAST ";JET OLEDB:Database Password=", and the password
// is everything after that (so it may hold ";" and "=" freely, but not that key itself). Keys
// are matched without regard to letter case. No value when there is no "Data Source=".
std::optional<AccessSource> ParseAccessConnectionString(std::string_view text);

// The statement the Access reader runs, "SELECT * FROM `T`": the table name between grave
// accents, between square brackets, or bare (the rest of the statement, trimmed). Keywords in any
// letter case; a trailing ";" is allowed. No value for any other statement.
std::optional<std::string> ParseSelectAll(std::string_view statement);

} // namespace tabulant::db
