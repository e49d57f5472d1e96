#pragma once

#include <cstdint>

namespace tabulant::engine {

// What one run did, for a front end that sets an exit status from it. Statements are counted as
// they are made, whatever then happens to them (executed, collected for the preview, rejected).
struct RunSummary {
    // False when the run did not start (another run was in progress) or ended at the
    // connection probe or at an Access file that does not open; every count is then 0.
    bool started = false;
    int tables = 0;              // tables whose statements were made (not those answered No)
    std::int64_t rows = 0;       // row statements made
    std::int64_t statements = 0; // every statement made, DROP and CREATE included
    std::int64_t executed = 0;   // statements the run itself executed (or wrote to its
                                 // statement output) without failure
    int failures = 0;            // error reports the run showed
    std::int64_t refused = 0;    // rows a bulk load's server refused (in the reject file)
    bool connectionLost = false; // PostgreSQL went away; nothing was sent after that
    bool stopped = false;        // ended early by RequestStop()
};

} // namespace tabulant::engine
