#pragma once

#include "Cluster.h"
#include "Options.h"
#include "Report.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tabulant::bench {

// One benchmark run: writes the Access files, starts the server, measures our side and the
// command-line peers side by side (alternating which goes first), prints the table. The file of
// many tables is converted (generation), not read alone: what it adds over the one big table is
// the per-table work of the run.
class Bench {
public:
    Bench(Options options, std::string self);
    ~Bench();

    // Returns the exit code; the server is stopped and the folder removed on every way out.
    int Run();

private:
    struct OurRun {
        ProcessResult process;
        std::int64_t statements = 0;
        Gaps gaps;
        long hwmKb = 0;
    };
    struct Pair {
        Series ours, peer;
    };

    void MakeWorkDir();
    void WriteFiles();
    void PrepareServer();
    void Round(int round);
    void MeasureMemory();
    void PrintReport() const;

    OurRun Ours(const std::string& kind, const std::filesystem::path& file, std::uint64_t rows,
                std::uint64_t tables);
    // `typed`: the conversion that keeps types and keys, beside the specified one.
    OurRun OursDirect(const std::filesystem::path& file, std::uint64_t rows, bool typed = false);
    ProcessResult Peer(const std::string& command);
    ProcessResult PeerDirect(const std::filesystem::path& file, std::uint64_t rows);
    ProcessResult PeerReplay(const std::filesystem::path& statements, std::uint64_t rows);
    // Runs a peer's shell command that fills the peer table and checks its rows.
    ProcessResult IntoPeerTable(const std::string& command, std::uint64_t rows);
    void ExportStatements(const std::filesystem::path& file, const std::filesystem::path& to);
    ProcessResult CopyReference(const std::filesystem::path& file, std::uint64_t rows);
    void DropTable(const std::string& table) const;
    void RecreateFromTemplate(const std::string& table) const;
    void ExpectRows(const std::string& table, std::uint64_t rows) const;
    std::string ExportCommand(const std::filesystem::path& file, std::uint64_t tables,
                              const std::string& flags) const;

    Options o_;
    std::string self_;
    std::filesystem::path dir_;
    bool ownDir_ = false;
    std::filesystem::path big_, many_, direct_, async_, memory_;
    std::filesystem::path directSql_, asyncSql_; // the peer's statements of direct_ and async_
    std::unique_ptr<Cluster> cluster_;

    Pair readOne_, generateOne_, generateMany_, directPair_, asyncPair_;
    // psql alone running the peer's statements from a file: the peer route's client without the
    // producer that runs beside it in the pipe.
    Series directReplay_, asyncReplay_;
    Series copy_;
    Gaps directGaps_, generateGaps_;                       // the worst of every run
    long directHwmKb_ = 0, generateHwmKb_ = 0;             // at direct/async rows and at rows
    long directMemoryHwmKb_ = 0, generateMemoryHwmKb_ = 0; // at memoryRows
    long directFullHwmKb_ = 0;                             // at rows, with --direct-full

    // The typed conversion on the same files, beside our specified one of the same rounds.
    Series typedGenerate_, typedDirect_, typedAsync_;
    long typedGenerateHwmKb_ = 0, typedDirectMemoryHwmKb_ = 0, typedDirectFullHwmKb_ = 0;
};

} // namespace tabulant::bench
