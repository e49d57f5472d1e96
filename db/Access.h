#pragma once

#include "db/Services.h"
#include "db/access/AccessConnectionString.h"
#include "platform/StringList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db {

// The connection string for the Access file. With an empty dataSource both values come from the
// main window (Text5, Text6) and the password argument is ignored.
std::string AccessConnectionString(const ConnectionFields& fields, std::string_view dataSource = {},
                                   std::string_view password = {});

// The user tables of the Access file named on the main window, or no list when `path` does not
// exist. Failures to open or read the file are thrown (platform::Error) to the caller.
std::optional<std::vector<std::string>> GetAccessTableNames(const Services& services,
                                                            std::string_view path);

// What FillAccessTableList does when the file does not exist.
enum class WhenMissing {
    Say,   // shows "Unable to access the database" and leaves the list empty
    Throw, // throws platform::Error with that text, for a caller that tells the user itself
};

// Fills `list` with GetAccessTableNames(path); a file that does not exist is handled as `missing`
// says.
void FillAccessTableList(const Services& services, platform::StringList& list,
                         std::string_view path, WhenMissing missing = WhenMissing::Say);

} // namespace tabulant::db
