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
        throw std::runtime_error(
            "mdb-export and psql are needed (packages mdbtools, postgresql-client)");
    MakeWorkDir();
    Say("bench-run: %s rows in one table, %s tables of %s rows, %s rows direct (%s without "
        "waiting for commits), %d runs each\n",
        Grouped(static_cast<double>(o_.rows)).c_str(),
        Grouped(static_cast<double>(o_.tables)).c_str(),
        Grouped(static_cast<double>(o_.tableRows)).c_str(),
        Grouped(static_cast<double>(o_.directRows)).c_str(),
        Grouped(static_cast<double>(o_.asyncRows)).c_str(), o_.repeat);
    Say("load average at start: %s; folder %s\n", LoadAverage().c_str(), dir_.c_str());
    WriteFiles();
    PrepareServer();
    for (int round = 1; round <= o_.repeat; ++round) Round(round);
    MeasureMemory();
    Say("load average at end: %s\n", LoadAverage().c_str());
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
    async_ = dir_ / "direct-async.mdb";
    memory_ = dir_ / "memory.mdb";
    directSql_ = dir_ / "direct.sql";
    asyncSql_ = dir_ / "direct-async.sql";
}

void Bench::WriteFiles() {
    const auto write = [](const fs::path& path, std::uint64_t rows, std::uint64_t tables) {
        ThrowIfInterrupted();
        const auto start = std::chrono::steady_clock::now();
        accesswriter::writeBigDatabase(path, rows, static_cast<int>(tables),
                                       accesswriter::Format::Jet4);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Say("wrote %s: %s x %s rows, %.0f MB, %.1f s\n", path.filename().c_str(),
            Grouped(static_cast<double>(tables)).c_str(),
            Grouped(static_cast<double>(rows)).c_str(),
            static_cast<double>(fs::file_size(path)) / 1048576.0, s);
    };
    write(big_, o_.rows, 1);
    write(many_, o_.tableRows, o_.tables);
    write(direct_, o_.directRows, 1);
    write(async_, o_.asyncRows, 1);
    write(memory_, o_.memoryRows, 1);
}

void Bench::PrepareServer() {
    cluster_ = std::make_unique<Cluster>(dir_ / "pg");
    cluster_->Start(o_.durable);
    Say("server on 127.0.0.1:%d, fsync=%s, synchronous_commit=%s, full_page_writes=%s\n",
        cluster_->Port(), cluster_->Psql("SHOW fsync").c_str(),
        cluster_->Psql("SHOW synchronous_commit").c_str(),
        cluster_->Psql("SHOW full_page_writes").c_str());

    // The peers' tables get exactly the columns our conversion creates.
    const ProcessResult r = RunProcess({self_, "--measure", "generate", direct_.string(),
                                        std::to_string(cluster_->Port()), "--print-create"},
                                       true);
    const auto at = r.output.find("create: CREATE TABLE " + quoted(kFirstTable));
    if (r.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error(
            "the CREATE TABLE statement of the direct table was not generated");
    std::string create = r.output.substr(at + 8, r.output.find('\n', at) - at - 8);
    create.replace(13, kFirstTable.size() + 2, quoted(kTemplate));
    DropTable(kTemplate);
    cluster_->Psql(create);
    Say("peer tables are made like: %s\n", create.c_str());
    ExportStatements(direct_, directSql_);
    ExportStatements(async_, asyncSql_);
}

void Bench::ExportStatements(const fs::path& file, const fs::path& to) {
    const ProcessResult r =
        RunShell("mdb-export -I postgres -B -S 1 " + ShellQuote(file.string()) + " " +
                 ShellQuote(kFirstTable) + " > " + ShellQuote(to.string()));
    if (r.exitCode != 0) throw std::runtime_error("mdb-export could not write " + to.string());
}

Bench::OurRun Bench::Ours(const std::string& kind, const fs::path& file, std::uint64_t rows,
                          std::uint64_t tables) {
    OurRun run;
    run.process = RunProcess(
        {self_, "--measure", kind, file.string(), std::to_string(cluster_->Port())}, true);
    const auto at = run.process.output.find("result ");
    if (run.process.exitCode != 0 || at == std::string::npos)
        throw std::runtime_error("our " + kind + " run over " + file.filename().string() +
                                 " failed");
    const std::string line = run.process.output.substr(at, run.process.output.find('\n', at) - at);
    if (ResultField(line, "errors") != 0)
        throw std::runtime_error("our " + kind + " run reported errors:\n" + run.process.output);
    run.statements = ResultField(line, "statements");
    run.gaps = {{ResultField(line, "opening_us"), ResultField(line, "opening_cpu_us")},
                {ResultField(line, "between_us"), ResultField(line, "between_cpu_us")},
                {ResultField(line, "closing_us"), ResultField(line, "closing_cpu_us")}};
    run.hwmKb = ResultField(line, "hwm_kb");
    // Reading counts rows; generation adds a CREATE TABLE per table (the server holds none of
    // the tables, so there is no DROP TABLE).
    const auto expected = static_cast<std::int64_t>(rows * tables);
    const bool generating = kind.starts_with("generate");
    if (!kind.starts_with("direct") &&
        run.statements != expected + (generating ? static_cast<std::int64_t>(tables) : 0))
        throw std::runtime_error("our " + kind + " run gave " + std::to_string(run.statements) +
                                 " rows or statements for " + std::to_string(expected) + " rows");
    return run;
}

Bench::OurRun Bench::OursDirect(const fs::path& file, std::uint64_t rows, bool typed) {
    cluster_->Psql("CHECKPOINT");
    OurRun run = Ours(typed ? "direct-typed" : "direct", file, rows, 1);
    ExpectRows(kFirstTable, rows);
    DropTable(kFirstTable);
    directGaps_.Add(run.gaps);
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

void Bench::DropTable(const std::string& table) const {
    cluster_->Psql("DROP TABLE IF EXISTS " + quoted(table));
}

void Bench::RecreateFromTemplate(const std::string& table) const {
    DropTable(table);
    cluster_->Psql("CREATE TABLE " + quoted(table) + " (LIKE " + quoted(kTemplate) + ")");
    cluster_->Psql("CHECKPOINT");
}

void Bench::ExpectRows(const std::string& table, std::uint64_t rows) const {
    const std::string count = cluster_->Psql("SELECT count(*) FROM " + quoted(table));
    if (count != std::to_string(rows))
        throw std::runtime_error("table " + table + " holds " + count + " rows, not " +
                                 std::to_string(rows));
}

ProcessResult Bench::PeerDirect(const fs::path& file, std::uint64_t rows) {
    return IntoPeerTable("mdb-export -I postgres -B -S 1 " + ShellQuote(file.string()) + " " +
                             ShellQuote(kFirstTable) + " | " + cluster_->PsqlCommand(),
                         rows);
}

ProcessResult Bench::PeerReplay(const fs::path& statements, std::uint64_t rows) {
    return IntoPeerTable(cluster_->PsqlCommand() + " -f " + ShellQuote(statements.string()), rows);
}

ProcessResult Bench::IntoPeerTable(const std::string& command, std::uint64_t rows) {
    RecreateFromTemplate(kPeerTable);
    const fs::path errors = dir_ / "peer-errors.txt";
    ProcessResult r = RunShell(command + " 2> " + ShellQuote(errors.string()));
    if (r.exitCode != 0 || fs::file_size(errors) != 0)
        throw std::runtime_error("the peer failed; see " + errors.string());
    ExpectRows(kPeerTable, rows);
    // Gone at once: the run would take "big 1" for its own "Big 1" (names are compared without
    // regard to letter case) and ask to overwrite it.
    DropTable(kPeerTable);
    return r;
}

ProcessResult Bench::CopyReference(const fs::path& file, std::uint64_t rows) {
    RecreateFromTemplate(kCopyTable);
    ProcessResult r = RunShell(
        "mdb-export " + ShellQuote(file.string()) + " " + ShellQuote(kFirstTable) + " | " +
        cluster_->PsqlCommand() + " -c " +
        ShellQuote("\\copy " + quoted(kCopyTable) + " FROM pstdin WITH (FORMAT csv, HEADER true)"));
    if (r.exitCode != 0) throw std::runtime_error("the COPY reference failed");
    ExpectRows(kCopyTable, rows);
    DropTable(kCopyTable);
    return r;
}

void Bench::Round(int round) {
    // Which side goes first alternates, so that neither always meets a warmer cache.
    const bool peerFirst = round % 2 == 0;
    const auto pair = [&](Pair& p, const char* name, auto ours, auto peer) {
        if (peerFirst) p.peer.Add(peer());
        p.ours.Add(ours());
        if (!peerFirst) p.peer.Add(peer());
        Say("round %d %-14s ours %s s, peer %s s\n", round, name, p.ours.Times().c_str(),
            p.peer.Times().c_str());
    };
    const auto generated = [&](const fs::path& file, std::uint64_t rows, std::uint64_t tables) {
        OurRun run = Ours("generate", file, rows, tables);
        generateGaps_.Add(run.gaps);
        if (tables == 1) generateHwmKb_ = std::max(generateHwmKb_, run.hwmKb);
        return run.process;
    };
    const auto direct = [&](const fs::path& file, std::uint64_t rows) {
        OurRun run = OursDirect(file, rows);
        directHwmKb_ = std::max(directHwmKb_, run.hwmKb);
        return run.process;
    };
    // The typed conversion beside the specified one and its peer: before the two in the rounds
    // where the peer goes first, after them in the others, so that the typed and the specified
    // conversion take turns at running first.
    const auto typedBeside = [&](auto specified, Series& typed, const char* name,
                                 const fs::path& file, std::uint64_t rows) {
        if (peerFirst) typed.Add(OursDirect(file, rows, true).process);
        specified();
        if (!peerFirst) typed.Add(OursDirect(file, rows, true).process);
        Say("round %d %-14s %s s\n", round, name, typed.Times().c_str());
    };

    pair(
        readOne_, "read 1", [&] { return Ours("read", big_, o_.rows, 1).process; },
        [&] { return Peer(ExportCommand(big_, 1, "")); });
    pair(
        generateOne_, "generate 1", [&] { return generated(big_, o_.rows, 1); },
        [&] { return Peer(ExportCommand(big_, 1, "-I postgres -B -S 1")); });
    typedGenerate_.Add([&] {
        OurRun run = Ours("generate-typed", big_, o_.rows, 1);
        typedGenerateHwmKb_ = std::max(typedGenerateHwmKb_, run.hwmKb);
        return run.process;
    }());
    Say("round %d %-14s %s s\n", round, "typed generate", typedGenerate_.Times().c_str());
    pair(
        generateMany_, "generate many", [&] { return generated(many_, o_.tableRows, o_.tables); },
        [&] { return Peer(ExportCommand(many_, o_.tables, "-I postgres -B -S 1")); });
    // Each commit waits for its flush to the disk, as on a server left as installed.
    cluster_->SetSynchronousCommit(o_.durable);
    typedBeside(
        [&] {
            pair(
                directPair_, "direct", [&] { return direct(direct_, o_.directRows); },
                [&] { return PeerDirect(direct_, o_.directRows); });
        },
        typedDirect_, "typed direct", direct_, o_.directRows);
    directReplay_.Add(PeerReplay(directSql_, o_.directRows));
    Say("round %d %-14s %s s\n", round, "psql -f", directReplay_.Times().c_str());
    copy_.Add(CopyReference(async_, o_.asyncRows));
    Say("round %d %-14s %s s\n", round, "COPY", copy_.Times().c_str());
    // The same without waiting for each commit's flush: what is left is the work of the two
    // clients and the server's own per-statement work.
    cluster_->SetSynchronousCommit(false);
    typedBeside(
        [&] {
            pair(
                asyncPair_, "direct async", [&] { return direct(async_, o_.asyncRows); },
                [&] { return PeerDirect(async_, o_.asyncRows); });
        },
        typedAsync_, "typed async", async_, o_.asyncRows);
    asyncReplay_.Add(PeerReplay(asyncSql_, o_.asyncRows));
    Say("round %d %-14s %s s\n", round, "async psql -f", asyncReplay_.Times().c_str());
}

void Bench::MeasureMemory() {
    // Memory does not depend on the server's durability; the larger conversions go faster
    // without waiting for each commit.
    cluster_->SetSynchronousCommit(false);
    generateMemoryHwmKb_ = Ours("generate", memory_, o_.memoryRows, 1).hwmKb;
    directMemoryHwmKb_ = OursDirect(memory_, o_.memoryRows).hwmKb;
    Say("peak memory at %s rows: generate %s, direct %s\n",
        Grouped(static_cast<double>(o_.memoryRows)).c_str(),
        Megabytes(generateMemoryHwmKb_).c_str(), Megabytes(directMemoryHwmKb_).c_str());
    typedDirectMemoryHwmKb_ = OursDirect(memory_, o_.memoryRows, true).hwmKb;
    Say("peak memory of typed direct at %s rows: %s\n",
        Grouped(static_cast<double>(o_.memoryRows)).c_str(),
        Megabytes(typedDirectMemoryHwmKb_).c_str());
    if (o_.directAtFullSize) {
        directFullHwmKb_ = OursDirect(big_, o_.rows).hwmKb;
        Say("peak memory of direct at %s rows: %s\n", Grouped(static_cast<double>(o_.rows)).c_str(),
            Megabytes(directFullHwmKb_).c_str());
        typedDirectFullHwmKb_ = OursDirect(big_, o_.rows, true).hwmKb;
        Say("peak memory of typed direct at %s rows: %s\n",
            Grouped(static_cast<double>(o_.rows)).c_str(),
            Megabytes(typedDirectFullHwmKb_).c_str());
    }
}

} // namespace tabulant::bench
