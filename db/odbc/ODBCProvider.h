#pragma once

#include "db/Services.h"
#include "platform/ShellOpen.h"

namespace tabulant::db {

// True when the data-access layer can be used on this machine. Otherwise false, after the
// explanation and the offer of the download pages when the Access reader is missing.
bool CheckDataProvider(const Services& services, platform::ShellOpen& shell);

} // namespace tabulant::db
