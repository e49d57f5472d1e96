#pragma once

#include "db/Services.h"
#include "platform/Connection.h"
#include "platform/ShellOpen.h"

#include <functional>
#include <memory>

namespace tabulant::db {

// True when the data-access layer can be used on this machine: here, when a connection of the
// Access reader can be created. When the reader is missing (error 3706, "Provider cannot be
// found"), asks whether to open the download pages of the Access Database Engine and opens them
// on Yes; returns false either way. Any other failure: false, with one line on stderr and no
// message. Never throws, never shows the error report.
bool CheckDataProvider(const Services& services, platform::ShellOpen& shell);

// The same check with the creation of the Access connection given.
bool CheckDataProvider(const Services& services, platform::ShellOpen& shell,
                       const std::function<std::unique_ptr<platform::Connection>()>& createReader);

// The download pages offered, in the order they are opened.
inline constexpr const char* AccessEngine2010Page =
    "https://www.microsoft.com/en-us/download/details.aspx?id=13255";
inline constexpr const char* AccessEngine2016Page =
    "https://www.microsoft.com/en-us/download/details.aspx?id=54920";

} // namespace tabulant::db
