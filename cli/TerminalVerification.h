#pragma once

#include "CommandLine.h"
#include "Terminal.h"
#include "engine/verify/Verifier.h"

#include <string>
#include <vector>

namespace tabulant::cli {

// A verification from the terminal: the status line while each table's rows are read, one line
// per table as it is verified, a summary line, and the whole report written to --report (JSON,
// or HTML when the file's name ends in .html or .htm; "-" is standard output). Returns the
// report's exit status, or Unusable when the report file cannot be written.
// Thread: the one thread of the program.
int VerifyFromTerminal(Terminal& terminal, const CommandLine& line,
                       const engine::verify::VerifyRequest& request,
                       engine::verify::VerifyPorts ports);

} // namespace tabulant::cli
