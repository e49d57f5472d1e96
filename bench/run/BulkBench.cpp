#include "BulkBench.h"

#include "BigDatabase.h"
#include "Process.h"
#include "engine/CopySink.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tabulant::bench {

namespace {

namespace fs = std::filesystem;

// The table of the files written here.
const std::string kBig = "Big 1";

std::string sqlName(const std::string& table) { return "\"" + table + "\""; }

std::string rows(std::uint64_t n) { return Grouped(static_cast<double>(n)); }

} // namespace

BulkBench::BulkBench(Options options, std::string self)
    : o_(std::move(options)), self_(std::move(self)) {
    if (o_.quick) {
        o_.repeat = std::min(o_.repeat, 2);
        o_.directRows = std::min<std::uint64_t>(o_.directRows, 2'000);
    }
}

BulkBench::~BulkBench() {
    cluster_.reset(); // the server first: its folder lies inside ours
    if (ownDir_ && !o_.keep) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
}

int BulkBench::Run() {
    if (RunShell("command -v mdb-export psql >/dev/null").exitCode != 0)
        throw std::runtime_error(
            "mdb-export and psql are needed (packages mdbtools, postgresql-client)");
    if (!o_.workDir.empty()) {
        dir_ = fs::absolute(o_.workDir);
        fs::create_directories(dir_);
    } else {
        std::string pattern = (fs::temp_directory_path() / "tabulant-bulk.XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        dir_ = pattern;
        ownDir_ = true;
    }
    // The server may run as another user (postgres, under root): it reads the CSV from here.
    chmod(dir_.c_str(), 0755);
    Say("bench-run --bulk: %s rows a round, %d rounds; one INSERT a row at %s rows; memory at "
        "%s and %s rows; chunks of %s rows\n",
        rows(o_.bulkRows).c_str(), o_.repeat, rows(o_.directRows).c_str(),
        rows(o_.memoryRows).c_str(), rows(o_.bulkMemoryRows).c_str(),
        o_.chunkRows > 0 ? rows(o_.chunkRows).c_str() : "the program's own");
    Say("load average at start: %s; folder %s\n", LoadAverage().c_str(), dir_.c_str());
    WriteFiles();
    PrepareServer();
    for (int round = 1; round <= o_.repeat; ++round) Round(round);
    Durable();
    MeasureMemory();
    Say("load average at end: %s\n", LoadAverage().c_str());
    PrintReport();
    return 0;
}

void BulkBench::WriteFiles() {
    bulk_ = dir_ / "bulk.mdb";
    csv_ = dir_ / "bulk.csv";
    perRow_ = dir_ / "per-row.mdb";
    memory_ = dir_ / "memory.mdb";
    memoryBig_ = dir_ / "memory-big.mdb";
    const auto write = [](const fs::path& path, std::uint64_t n) {
        ThrowIfInterrupted();
        accesswriter::writeBigDatabase(path, n, 1, accesswriter::Format::Jet4);
        Say("wrote %s: %s rows, %.0f MB\n", path.filename().c_str(), rows(n).c_str(),
            static_cast<double>(fs::file_size(path)) / 1048576.0);
    };
    if (o_.bulkFile.empty()) {
        table_ = kBig;
        write(bulk_, o_.bulkRows);
    } else {
        bulk_ = fs::absolute(o_.bulkFile);
        table_ = o_.bulkTable;
        if (table_.empty())
            table_ = RunShell("mdb-tables -1 " + ShellQuote(bulk_.string()) + " | head -n 1", true)
                         .output;
        while (!table_.empty() && table_.back() == '\n') table_.pop_back();
        o_.bulkRows = std::stoull(
            RunShell("mdb-count " + ShellQuote(bulk_.string()) + " " + ShellQuote(table_), true)
                .output);
        Say("loading %s of %s: %s rows\n", table_.c_str(), bulk_.c_str(),
            rows(o_.bulkRows).c_str());
    }
    write(perRow_, o_.directRows);
    write(memory_, o_.memoryRows);
    write(memoryBig_, o_.bulkMemoryRows);
    if (RunShell("mdb-export " + ShellQuote(bulk_.string()) + " " + ShellQuote(table_) + " > " +
                 ShellQuote(csv_.string()))
            .exitCode != 0)
        throw std::runtime_error("mdb-export could not write " + csv_.string());
    chmod(csv_.c_str(), 0644);
}

void BulkBench::PrepareServer() {
    cluster_ = std::make_unique<Cluster>(dir_ / "pg");
    cluster_->Start(o_.durable);
    // The rounds compare the clients and the server's COPY, not the disk: commits do not wait
    // for their flush there; Durable() puts that back.
    cluster_->SetSynchronousCommit(false);
    Say("server on 127.0.0.1:%d, fsync=%s\n", cluster_->Port(),
        cluster_->Psql("SHOW fsync").c_str());
    const ProcessResult r = RunProcess({self_, "--measure", "generate", bulk_.string(),
                                        std::to_string(cluster_->Port()), "--print-create"},
                                       true);
    const std::string head = "create: CREATE TABLE " + sqlName(table_);
    const auto at = r.output.find(head);
    if (r.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error("the CREATE TABLE statement of the bulk table was not generated");
    create_ = r.output.substr(at + 8, r.output.find('\n', at) - at - 8);
    Say("the peers' table is made like: %s\n", create_.c_str());
    // The rows the CHECKs of Refusing() refuse, counted on the CSV loaded by the server.
    cluster_->Psql("DROP TABLE IF EXISTS " + sqlName(table_) + "; " + create_ + "; COPY " +
                   sqlName(table_) + " FROM '" + csv_.string() +
                   "' WITH (FORMAT csv, HEADER true)");
    const std::string first =
        cluster_->Psql("SELECT quote_ident(attname) FROM pg_attribute WHERE attrelid = '" +
                       sqlName(table_) + "'::regclass AND attnum = 1");
    const auto refusedBy = [&](std::uint64_t every) {
        return std::stoull(cluster_->Psql("SELECT count(*) FROM " + sqlName(table_) + " WHERE (" +
                                          first + ")::numeric % " + std::to_string(every) +
                                          " = 7"));
    };
    refused10Every_ = std::max<std::uint64_t>(o_.bulkRows / 10, 8);
    refused10Count_ = refusedBy(refused10Every_);
    refusedChunkEvery_ = o_.chunkRows > 0 ? o_.chunkRows : engine::CopySink::Limits{}.rows;
    refusedChunkCount_ = refusedBy(refusedChunkEvery_);
}

void BulkBench::ExpectRows(const std::string& table, std::uint64_t n) const {
    const std::string count = cluster_->Psql("SELECT count(*) FROM \"" + table + "\"");
    if (count != std::to_string(n))
        throw std::runtime_error("table " + table + " holds " + count + " rows, not " +
                                 std::to_string(n));
}

ProcessResult BulkBench::Ours(const std::string& kind, const fs::path& file,
                              const std::string& table, std::uint64_t n, std::uint64_t refused,
                              std::uint64_t refuseEvery, long* hwmKb) {
    Clear();
    if (refuseEvery > 0) Refusing(refuseEvery);
    cluster_->Psql("CHECKPOINT");
    std::vector<std::string> command = {self_, "--measure", kind, file.string(),
                                        std::to_string(cluster_->Port())};
    if (o_.chunkRows > 0 && kind.starts_with("bulk"))
        command.push_back(std::to_string(o_.chunkRows));
    ProcessResult r = RunProcess(command, true);
    const auto at = r.output.find("result ");
    if (r.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error("our " + kind + " run over " + file.filename().string() +
                                 " failed");
    const std::string line = r.output.substr(at, r.output.find('\n', at) - at);
    // A table with refused rows is reported once, with its reasons and the reject file.
    if (ResultField(line, "errors") != (refused > 0 ? 1 : 0))
        throw std::runtime_error("our " + kind + " run reported:\n" + r.output);
    if (hwmKb) *hwmKb = std::max(*hwmKb, ResultField(line, "hwm_kb"));
    ExpectRows(table, n - refused);
    return r;
}

void BulkBench::Clear() const {
    // Every table of the file, and the refusing trigger's function with its trigger.
    cluster_->Psql("DROP SCHEMA public CASCADE; CREATE SCHEMA public");
}

ProcessResult BulkBench::CsvCopy() {
    Clear();
    cluster_->Psql(create_);
    cluster_->Psql("CHECKPOINT");
    ProcessResult r = RunShell(
        "mdb-export " + ShellQuote(bulk_.string()) + " " + ShellQuote(table_) + " | " +
        cluster_->PsqlCommand() + " -c " +
        ShellQuote("\\copy " + sqlName(table_) + " FROM pstdin WITH (FORMAT csv, HEADER true)"));
    if (r.exitCode != 0) throw std::runtime_error("mdb-export | psql \\copy failed");
    ExpectRows(table_, o_.bulkRows);
    return r;
}

ProcessResult BulkBench::Script() {
    Clear();
    cluster_->Psql("CHECKPOINT");
    const fs::path convert = fs::path(self_).parent_path() / "tabulant-convert";
    ProcessResult r = RunShell(ShellQuote(convert.string()) + " --copy --quiet --sql - " +
                               ShellQuote(bulk_.string()) + " | " + cluster_->PsqlCommand() +
                               " -1 -v ON_ERROR_STOP=1 >/dev/null");
    if (r.exitCode != 0)
        throw std::runtime_error(convert.string() + " --copy --sql - | psql -1 failed");
    ExpectRows(table_, o_.bulkRows);
    return r;
}

ProcessResult BulkBench::ServerCopy() {
    Clear();
    cluster_->Psql(create_);
    cluster_->Psql("CHECKPOINT");
    ProcessResult r = RunShell(cluster_->PsqlCommand() + " -c " +
                               ShellQuote("COPY " + sqlName(table_) + " FROM '" + csv_.string() +
                                          "' WITH (FORMAT csv, HEADER true)"));
    if (r.exitCode != 0) throw std::runtime_error("the server's COPY of the CSV file failed");
    ExpectRows(table_, o_.bulkRows);
    return r;
}

void BulkBench::Refusing(std::uint64_t every) const {
    std::string name;
    for (const char c : table_) name += c == '\'' ? std::string("''") : std::string(1, c);
    // The run creates the table itself: the CHECK is added as it does.
    cluster_->Psql(
        "CREATE FUNCTION bench_refuse() RETURNS event_trigger LANGUAGE plpgsql AS $$ "
        "DECLARE r record; BEGIN FOR r IN SELECT * FROM pg_event_trigger_ddl_commands() "
        "WHERE command_tag = 'CREATE TABLE' AND lower((SELECT relname FROM pg_class WHERE oid = "
        "objid)) = lower('" +
        name +
        "') LOOP EXECUTE format('ALTER TABLE %s ADD CONSTRAINT bench_refused CHECK "
        "((%s)::numeric %% " +
        std::to_string(every) +
        " <> 7)', r.object_identity, (SELECT quote_ident(attname) FROM pg_attribute WHERE "
        "attrelid = r.objid AND attnum = 1)); END LOOP; END $$");
    cluster_->Psql("CREATE EVENT TRIGGER bench_refuse ON ddl_command_end "
                   "EXECUTE FUNCTION bench_refuse()");
}

void BulkBench::Round(int round) {
    using Route = std::pair<const char*, std::function<void()>>;
    const std::uint64_t b = o_.bulkRows;
    std::vector<Route> routes = {
        {"ours", [&] { ours_.Add(Ours("bulk", bulk_, table_, b, 0, 0, &hwmBulk_)); }},
        {"ours typed", [&] { typed_.Add(Ours("bulk-typed", bulk_, table_, b)); }},
        {"ours | psql -1", [&] { script_.Add(Script()); }},
        {"csv \\copy", [&] { csvCopy_.Add(CsvCopy()); }},
        {"server COPY", [&] { serverCopy_.Add(ServerCopy()); }},
        {"refused 10",
         [&] { refused10_.Add(Ours("bulk", bulk_, table_, b, refused10Count_, refused10Every_)); }},
        {"refused/chunk",
         [&] {
             refusedChunks_.Add(
                 Ours("bulk", bulk_, table_, b, refusedChunkCount_, refusedChunkEvery_));
         }},
        {"per row", [&] { perRowRelaxed_.Add(Ours("direct", perRow_, kBig, o_.directRows)); }},
    };
    if (round % 2 == 0) std::reverse(routes.begin(), routes.end());
    Say("round %d:", round);
    for (auto& [name, run] : routes) {
        run();
        Say(" %s", name);
    }
    Say("\n");
}

void BulkBench::Durable() {
    cluster_->SetSynchronousCommit(o_.durable);
    for (int round = 1; round <= o_.repeat; ++round) {
        const auto bulk = [&] { durableBulk_.Add(Ours("bulk", perRow_, kBig, o_.directRows)); };
        const auto perRow = [&] {
            durablePerRow_.Add(Ours("direct", perRow_, kBig, o_.directRows));
        };
        if (round % 2 == 0) perRow();
        bulk();
        if (round % 2 == 1) perRow();
        Say("durable round %d: bulk %s s, one INSERT a row %s s\n", round,
            durableBulk_.Times().c_str(), durablePerRow_.Times().c_str());
    }
    cluster_->SetSynchronousCommit(false);
}

void BulkBench::MeasureMemory() {
    Ours("bulk", memory_, kBig, o_.memoryRows, 0, 0, &hwmMemory_);
    Ours("bulk", memoryBig_, kBig, o_.bulkMemoryRows, 0, 0, &hwmMemoryBig_);
    Ours("bulk-typed", memoryBig_, kBig, o_.bulkMemoryRows, 0, 0, &hwmTypedMemoryBig_);
}

void BulkBench::PrintReport() const {
    const auto line = [&](const char* name, const Series& s, std::uint64_t n, const Series& peer,
                          std::uint64_t peerRows) {
        std::printf("%-40s %10s  %-24s %10s %8s\n", name, rows(n).c_str(), s.Times().c_str(),
                    Grouped(s.RowsPerSecond(n)).c_str(),
                    Ratio(s.RowsPerSecond(n), peer.RowsPerSecond(peerRows)).c_str());
    };
    const std::uint64_t b = o_.bulkRows, d = o_.directRows;
    std::printf("\nWall seconds of every round (the whole process, start-up included), rows per\n"
                "second at the median, and the ratio of rows per second to the row named:\n\n");
    std::printf("%-40s %10s  %-24s %10s %8s\n", "route", "rows", "seconds", "rows/s", "ratio");
    line("ours, --copy (vs csv \\copy)", ours_, b, csvCopy_, b);
    line("ours, --copy --typed (vs csv)", typed_, b, csvCopy_, b);
    line("ours, --copy --sql | psql -1 (vs csv)", script_, b, csvCopy_, b);
    line("mdb-export CSV | psql \\copy", csvCopy_, b, csvCopy_, b);
    line("server COPY from file (vs ours)", serverCopy_, b, ours_, b);
    line("ours, 10 refused (vs ours)", refused10_, b, ours_, b);
    line("ours, refused every chunk (vs per row)", refusedChunks_, b, perRowRelaxed_, d);
    line("one INSERT a row", perRowRelaxed_, d, perRowRelaxed_, d);
    line("durable: ours (vs one INSERT a row)", durableBulk_, d, durablePerRow_, d);
    line("durable: one INSERT a row", durablePerRow_, d, durablePerRow_, d);
    std::printf(
        "\npeak memory of ours (VmHWM): %s at %s rows (the rounds), %s at %s rows, %s at %s "
        "rows, typed %s at %s rows\n",
        Megabytes(hwmBulk_).c_str(), rows(b).c_str(), Megabytes(hwmMemory_).c_str(),
        rows(o_.memoryRows).c_str(), Megabytes(hwmMemoryBig_).c_str(),
        rows(o_.bulkMemoryRows).c_str(), Megabytes(hwmTypedMemoryBig_).c_str(),
        rows(o_.bulkMemoryRows).c_str());
    const auto ratio = [](const Series& a, std::uint64_t an, const Series& p, std::uint64_t pn) {
        return Ratio(a.RowsPerSecond(an), p.RowsPerSecond(pn));
    };
    std::printf(
        "ratios: bulk_csv=%s bulk_server=%s typed_csv=%s typed_server=%s script_csv=%s "
        "script_server=%s refused10=%s refused_chunks_per_row=%s durable_per_row=%s "
        "memory_mb=%ld/%ld\n",
        ratio(ours_, b, csvCopy_, b).c_str(), ratio(ours_, b, serverCopy_, b).c_str(),
        ratio(typed_, b, csvCopy_, b).c_str(), ratio(typed_, b, serverCopy_, b).c_str(),
        ratio(script_, b, csvCopy_, b).c_str(), ratio(script_, b, serverCopy_, b).c_str(),
        ratio(refused10_, b, ours_, b).c_str(), ratio(refusedChunks_, b, perRowRelaxed_, d).c_str(),
        ratio(durableBulk_, d, durablePerRow_, d).c_str(), hwmMemory_ / 1024, hwmMemoryBig_ / 1024);
}

} // namespace tabulant::bench
