#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tabulant::bench {

struct Options {
    std::uint64_t rows = 1'000'000;     // the one-table file
    std::uint64_t tables = 20;          // the many-table file ...
    std::uint64_t tableRows = 50'000;   // ... and the rows of each of its tables
    std::uint64_t directRows = 20'000;  // the table converted into the durable server
    std::uint64_t asyncRows = 50'000;   // ... and with synchronous_commit off; COPY's table
    std::uint64_t memoryRows = 100'000; // the smaller size of the peak-memory comparison
    int repeat = 3;
    bool durable = true;          // the server's default durability settings
    bool directAtFullSize = true; // also convert the one-table file directly (slow)
    bool keep = false;            // keep the temporary folder
    std::string workDir;          // where to put it (default: a new folder in /tmp)
};

extern const char* const Usage;

// Parses the command line; no value (and a message on stderr) when it is not understood.
std::optional<Options> ParseOptions(int argc, char** argv);

} // namespace tabulant::bench
