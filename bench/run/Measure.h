#pragma once

#include <string>
#include <vector>

namespace tabulant::bench {

// The measured work of our side, run in a child process of its own so that its peak memory is
// its own:  bench-run --measure read|generate|direct FILE [PORT] [--print-create]
//
//   read      every value of every user table through the Access connection and a Recordset,
//             each turned into its text (RegionalText::AppendText into one reused buffer)
//   generate  the conversion run in per-file preview mode; the preview counts the lines and
//             discards them (--print-create keeps them and prints the CREATE TABLE statements)
//   direct    the conversion run in direct mode into the server on PORT
//
// Prints one line "result key=value ..." (statements, bytes, errors, worst gap between processed
// events, peak resident memory) and the first error reports, if any. Returns the exit code.
int RunMeasure(const std::vector<std::string>& args);

} // namespace tabulant::bench
