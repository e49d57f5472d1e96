#pragma once

#include "Cluster.h"
#include "Options.h"
#include "Report.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tabulant::bench {

// The bulk load (rows with COPY) measured side by side with the COPY routes of the command-line
// tools on the same file and server: mdb-export's CSV into psql's \copy, and the server's own
// COPY of that CSV from its disk; and our own COPY blocks piped into psql in one transaction. Also:
// rows refused by a CHECK (ten in all, one in every chunk) against the clean load and against one
// INSERT a row; the durable server against one INSERT a row; our peak memory at two sizes. Rounds
// alternate the order of the routes.
class BulkBench {
public:
    BulkBench(Options options, std::string self);
    ~BulkBench();

    // Returns the exit code; the server is stopped and the folder removed on every way out.
    int Run();

private:
    void WriteFiles();
    void PrepareServer();
    void Round(int round);
    void Durable();
    void MeasureMemory();
    void PrintReport() const;

    // Our run of `kind` (bulk, bulk-typed, direct) over `file`, into an empty database; with
    // `refuseEvery`, the server refuses rows as Refusing() says, `refused` of them. The rows of
    // `table` are counted afterwards.
    ProcessResult Ours(const std::string& kind, const std::filesystem::path& file,
                       const std::string& table, std::uint64_t rows, std::uint64_t refused = 0,
                       std::uint64_t refuseEvery = 0, long* hwmKb = nullptr);
    void Clear() const;
    ProcessResult CsvCopy();
    // tabulant-convert --copy --sql - FILE | psql -1 -v ON_ERROR_STOP=1: all or nothing.
    ProcessResult Script();
    ProcessResult ServerCopy();
    // Makes the server refuse the rows of the bulk table whose first column leaves 7 divided by
    // `every`, with a CHECK added as the run creates the table.
    void Refusing(std::uint64_t every) const;
    void ExpectRows(const std::string& table, std::uint64_t rows) const;

    Options o_;
    std::string self_;
    std::filesystem::path dir_;
    bool ownDir_ = false;
    std::filesystem::path bulk_, csv_, perRow_, memory_, memoryBig_;
    std::string table_;  // the table of the bulk file the peers load
    std::string create_; // our CREATE TABLE of it, for the peers
    std::uint64_t refused10Every_ = 0, refused10Count_ = 0;
    std::uint64_t refusedChunkEvery_ = 0, refusedChunkCount_ = 0;
    std::unique_ptr<Cluster> cluster_;

    Series ours_, typed_, script_, csvCopy_, serverCopy_, refused10_, refusedChunks_,
        perRowRelaxed_;
    Series durableBulk_, durablePerRow_;
    long hwmBulk_ = 0, hwmMemory_ = 0, hwmMemoryBig_ = 0, hwmTypedMemoryBig_ = 0;
};

} // namespace tabulant::bench
