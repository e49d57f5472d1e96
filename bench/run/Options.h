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
    // The bulk load (COPY) alone, beside the COPY routes of psql and of the server itself.
    bool bulk = false;
    std::uint64_t bulkRows = 200'000;         // the table loaded in every round
    std::uint64_t bulkMemoryRows = 1'000'000; // the larger size of its peak-memory comparison
    std::string bulkFile, bulkTable;          // an Access file of one's own instead, and its table
    std::uint64_t chunkRows = 0;              // rows of a chunk; 0: the program's own
    bool quick = false;                       // fewer rounds and rows: a look in minutes
};

extern const char* const Usage;

// Parses the command line; no value (and a message on stderr) when it is not understood.
std::optional<Options> ParseOptions(int argc, char** argv);

} // namespace tabulant::bench
