#include "Bench.h"

#include "BigDatabase.h"
#include "Process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace tabulant::bench {

namespace {

namespace fs = std::filesystem;

// The table every big file starts with; the direct runs convert it.
const std::string kFirstTable = "Big 1";
// The same table as mdb-export names it in its INSERT statements (lower case).
const std::string kPeerTable = "big 1";
const std::string kCopyTable = "copy 1";
const std::string kTemplate = "bench template";

std::string quoted(const std::string& table) { return "\"" + table + "\""; }

long field(const std::string& line, const std::string& key) {
    const auto at = line.find(" " + key + "=");
    if (at == std::string::npos) throw std::runtime_error("no " + key + " in: " + line);
    return std::stol(line.substr(at + key.size() + 2));
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " (1 min), " + five + " (5 min)";
}

void say(const char* format, auto... args) {
    std::printf(format, args...);
    std::fflush(stdout);
}

} // namespace

Bench::Bench(Options options, std::string self) : o_(std::move(options)), self_(std::move(self)) {}

Bench::~Bench() {
    cluster_.reset(); // the server first: its folder lies inside ours
    if (ownDir_ && !o_.keep) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
}

int Bench::Run() {
    if (RunShell("command -v mdb-export psql >/dev/null").exitCode != 0)
        throw std::runtime_error("mdb-export and psql are needed (packages mdbtools, postgresql-client)");
    MakeWorkDir();
    say("bench-run: %s rows in one table, %s tables of %s rows, %s rows direct, %d runs each\n",
        Grouped(static_cast<double>(o_.rows)).c_str(), Grouped(static_cast<double>(o_.tables)).c_str(),
        Grouped(static_cast<double>(o_.tableRows)).c_str(),
        Grouped(static_cast<double>(o_.directRows)).c_str(), o_.repeat);
    say("load average at start: %s; folder %s\n", loadAverage().c_str(), dir_.c_str());
    WriteFiles();
    PrepareServer();
    for (int round = 1; round <= o_.repeat; ++round) Round(round);
    MeasureMemory();
    say("load average at end: %s\n", loadAverage().c_str());
    PrintReport();
    return 0;
}

void Bench::MakeWorkDir() {
    if (!o_.workDir.empty()) {
        dir_ = fs::absolute(o_.workDir);
        fs::create_directories(dir_);
    } else {
        std::string pattern = (fs::temp_directory_path() / "tabulant-bench.XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        dir_ = pattern;
        ownDir_ = true;
    }
    // The server may run as another user (postgres, under root): it must reach its folder.
    chmod(dir_.c_str(), 0755);
    big_ = dir_ / "one-table.mdb";
    many_ = dir_ / "many-tables.mdb";
    direct_ = dir_ / "direct.mdb";
    memory_ = dir_ / "memory.mdb";
}

void Bench::WriteFiles() {
    const auto write = [](const fs::path& path, std::uint64_t rows, std::uint64_t tables) {
        ThrowIfInterrupted();
        const auto start = std::chrono::steady_clock::now();
        accesswriter::writeBigDatabase(path, rows, static_cast<int>(tables), accesswriter::Format::Jet4);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        say("wrote %s: %s x %s rows, %.0f MB, %.1f s\n", path.filename().c_str(),
            Grouped(static_cast<double>(tables)).c_str(), Grouped(static_cast<double>(rows)).c_str(),
            static_cast<double>(fs::file_size(path)) / 1048576.0, s);
    };
    write(big_, o_.rows, 1);
    write(many_, o_.tableRows, o_.tables);
    write(direct_, o_.directRows, 1);
    write(memory_, o_.memoryRows, 1);
}

void Bench::PrepareServer() {
    cluster_ = std::make_unique<Cluster>(dir_ / "pg");
    cluster_->Start(o_.durable);
    say("server on 127.0.0.1:%d, fsync=%s, synchronous_commit=%s, full_page_writes=%s\n",
        cluster_->Port(), cluster_->Psql("SHOW fsync").c_str(),
        cluster_->Psql("SHOW synchronous_commit").c_str(),
        cluster_->Psql("SHOW full_page_writes").c_str());

    // The peers' tables get exactly the columns our conversion creates.
    const ProcessResult r = RunProcess({self_, "--measure", "generate", direct_.string(),
                                        std::to_string(cluster_->Port()), "--print-create"},
                                       true);
    const auto at = r.output.find("create: CREATE TABLE " + quoted(kFirstTable));
    if (r.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error("the CREATE TABLE statement of the direct table was not generated");
    std::string create = r.output.substr(at + 8, r.output.find('\n', at) - at - 8);
    create.replace(13, kFirstTable.size() + 2, quoted(kTemplate));
    cluster_->Psql("DROP TABLE IF EXISTS " + quoted(kTemplate));
    cluster_->Psql(create);
    say("peer tables are made like: %s\n", create.c_str());
}

Bench::OurRun Bench::Ours(const std::string& kind, const fs::path& file, std::uint64_t rows,
                          std::uint64_t tables) {
    OurRun run;
    run.process = RunProcess({self_, "--measure", kind, file.string(),
                              std::to_string(cluster_->Port())},
                             true);
    const auto at = run.process.output.find("result ");
    if (run.process.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error("our " + kind + " run over " + file.filename().string() + " failed");
    const std::string line = run.process.output.substr(at, run.process.output.find('\n', at) - at);
    if (field(line, "errors") != 0)
        throw std::runtime_error("our " + kind + " run reported errors:\n" + run.process.output);
    run.statements = field(line, "statements");
    run.gapUs = field(line, "gap_us");
    run.hwmKb = field(line, "hwm_kb");
    // Reading counts rows; generation adds a CREATE TABLE per table and a DROP TABLE for a table
    // that a direct round left in the server.
    const auto expected = static_cast<std::int64_t>(rows * tables);
    const auto extra = run.statements - expected;
    if (kind == "read" ? extra != 0
                       : kind == "generate" && (extra < static_cast<std::int64_t>(tables) ||
                                                extra > 2 * static_cast<std::int64_t>(tables)))
        throw std::runtime_error("our " + kind + " run gave " + std::to_string(run.statements) +
                                 " rows or statements for " + std::to_string(expected) + " rows");
    return run;
}

Bench::OurRun Bench::OursDirect(const fs::path& file, std::uint64_t rows) {
    cluster_->Psql("DROP TABLE IF EXISTS " + quoted(kFirstTable));
    cluster_->Psql("CHECKPOINT");
    OurRun run = Ours("direct", file, rows, 1);
    ExpectRows(kFirstTable, rows);
    worstDirectGapUs_ = std::max(worstDirectGapUs_, run.gapUs);
    return run;
}

std::string Bench::ExportCommand(const fs::path& file, std::uint64_t tables,
                                 const std::string& flags) const {
    std::string command = "for t in $(seq 1 " + std::to_string(tables) + "); do mdb-export " +
                          flags + " " + ShellQuote(file.string()) + " \"Big $t\"; done";
    return command;
}

ProcessResult Bench::Peer(const std::string& command) {
    ProcessResult r = RunShell(command + " > /dev/null");
    if (r.exitCode != 0) throw std::runtime_error("the peer command failed: " + command);
    return r;
}

void Bench::RecreateFromTemplate(const std::string& table) const {
    cluster_->Psql("DROP TABLE IF EXISTS " + quoted(table));
    cluster_->Psql("CREATE TABLE " + quoted(table) + " (LIKE " + quoted(kTemplate) + ")");
    cluster_->Psql("CHECKPOINT");
}

void Bench::ExpectRows(const std::string& table, std::uint64_t rows) const {
    const std::string count = cluster_->Psql("SELECT count(*) FROM " + quoted(table));
    if (count != std::to_string(rows))
        throw std::runtime_error("table " + table + " holds " + count + " rows, not " +
                                 std::to_string(rows));
}

ProcessResult Bench::PeerDirect() {
    RecreateFromTemplate(kPeerTable);
    const fs::path errors = dir_ / "peer-errors.txt";
    ProcessResult r = RunShell("mdb-export -I postgres -B -S 1 " + ShellQuote(direct_.string()) +
                               " " + ShellQuote(kFirstTable) + " | " + cluster_->PsqlCommand() +
                               " 2> " + ShellQuote(errors.string()));
    if (r.exitCode != 0 || fs::file_size(errors) != 0)
        throw std::runtime_error("the peer route failed; see " + errors.string());
    ExpectRows(kPeerTable, o_.directRows);
    return r;
}

ProcessResult Bench::CopyReference() {
    RecreateFromTemplate(kCopyTable);
    ProcessResult r = RunShell("mdb-export " + ShellQuote(direct_.string()) + " " +
                               ShellQuote(kFirstTable) + " | " + cluster_->PsqlCommand() + " -c " +
                               ShellQuote("\\copy " + quoted(kCopyTable) +
                                          " FROM pstdin WITH (FORMAT csv, HEADER true)"));
    if (r.exitCode != 0) throw std::runtime_error("the COPY reference failed");
    ExpectRows(kCopyTable, o_.directRows);
    return r;
}

void Bench::Round(int round) {
    // Which side goes first alternates, so that neither always meets a warmer cache.
    const bool peerFirst = round % 2 == 0;
    const auto pair = [&](Pair& p, const char* name, auto ours, auto peer) {
        if (peerFirst) p.peer.Add(peer());
        p.ours.Add(ours());
        if (!peerFirst) p.peer.Add(peer());
        say("round %d %-14s ours %s s, peer %s s\n", round, name, p.ours.Times().c_str(),
            p.peer.Times().c_str());
    };
    const auto generated = [&](const fs::path& file, std::uint64_t rows, std::uint64_t tables) {
        OurRun run = Ours("generate", file, rows, tables);
        worstGenerateGapUs_ = std::max(worstGenerateGapUs_, run.gapUs);
        if (tables == 1) generateHwmKb_ = std::max(generateHwmKb_, run.hwmKb);
        return run.process;
    };

    pair(readOne_, "read 1", [&] { return Ours("read", big_, o_.rows, 1).process; },
         [&] { return Peer(ExportCommand(big_, 1, "")); });
    pair(generateOne_, "generate 1", [&] { return generated(big_, o_.rows, 1); },
         [&] { return Peer(ExportCommand(big_, 1, "-I postgres -B -S 1")); });
    pair(generateMany_, "generate many", [&] { return generated(many_, o_.tableRows, o_.tables); },
         [&] { return Peer(ExportCommand(many_, o_.tables, "-I postgres -B -S 1")); });
    pair(directPair_, "direct", [&] {
            OurRun run = OursDirect(direct_, o_.directRows);
            directHwmKb_ = std::max(directHwmKb_, run.hwmKb);
            return run.process;
        },
        [&] { return PeerDirect(); });
    copy_.Add(CopyReference());
    say("round %d %-14s %s s\n", round, "COPY", copy_.Times().c_str());
}

void Bench::MeasureMemory() {
    generateMemoryHwmKb_ = Ours("generate", memory_, o_.memoryRows, 1).hwmKb;
    directMemoryHwmKb_ = OursDirect(memory_, o_.memoryRows).hwmKb;
    say("peak memory at %s rows: generate %s, direct %s\n",
        Grouped(static_cast<double>(o_.memoryRows)).c_str(), Megabytes(generateMemoryHwmKb_).c_str(),
        Megabytes(directMemoryHwmKb_).c_str());
    if (o_.directAtFullSize) {
        directFullHwmKb_ = OursDirect(big_, o_.rows).hwmKb;
        say("peak memory of direct at %s rows: %s\n", Grouped(static_cast<double>(o_.rows)).c_str(),
            Megabytes(directFullHwmKb_).c_str());
    }
}

} // namespace tabulant::bench
