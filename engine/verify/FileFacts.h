#pragma once

#include "VerifyReport.h"

#include <string>

namespace tabulant::engine::verify {

// Fills the report's file size and SHA-256 from the file it names, read once in pieces; leaves
// them unset (-1, empty) when the file cannot be read.
void ReadFileFacts(VerifyReport& report);

// The time now, "yyyy-mm-dd hh:mm:ss UTC".
std::string UtcNow();

} // namespace tabulant::engine::verify
