#include "Cluster.h"

#include "Process.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace tabulant::bench {

namespace {

std::string script() {
    const char* own = std::getenv("TABULANT_PG_CLUSTER_SCRIPT");
    return own && *own ? own : TABULANT_PG_CLUSTER_SCRIPT;
}

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

Cluster::Cluster(std::filesystem::path dir) : dir_(std::move(dir)) {}

Cluster::~Cluster() { Destroy(); }

void Cluster::Start(bool durable) {
    started_ = true; // from here on there may be something to stop
    const ProcessResult r = RunProcess({script(), "start", dir_.string()}, true);
    if (r.exitCode != 0) throw std::runtime_error("the PostgreSQL cluster did not start");
    port_ = std::stoi(firstLine(dir_ / "port"));
    bindir_ = firstLine(dir_ / "bindir");
    setenv("PGPASSWORD", Password, 1);
    if (durable) {
        Psql("ALTER SYSTEM SET fsync = on");
        Psql("ALTER SYSTEM SET synchronous_commit = on");
        Psql("ALTER SYSTEM SET full_page_writes = on");
        Psql("SELECT pg_reload_conf()");
    }
}

void Cluster::SetSynchronousCommit(bool on) {
    const std::string value = on ? "on" : "off";
    Psql("ALTER SYSTEM SET synchronous_commit = " + value);
    Psql("SELECT pg_reload_conf()");
    // The reload is signalled, not awaited: wait until a new connection sees it.
    for (int i = 0; i < 100 && Psql("SHOW synchronous_commit") != value; ++i) usleep(50'000);
}

void Cluster::Destroy() noexcept {
    if (!started_) return;
    started_ = false;
    try {
        const ProcessResult r = RunProcess({script(), "destroy", dir_.string()}, false, false);
        if (r.exitCode != 0)
            std::fprintf(stderr, "bench-run: could not stop the cluster in %s\n", dir_.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-run: stopping the cluster: %s\n", e.what());
    }
}

std::string Cluster::PsqlCommand() const {
    return ShellQuote(bindir_ + "/psql") + " -X -q -h 127.0.0.1 -p " + std::to_string(port_) +
           " -U " + User + " -d " + Database;
}

std::string Cluster::Psql(std::string_view sql) const {
    const ProcessResult r = RunProcess({bindir_ + "/psql",
                                        "-X",
                                        "-q",
                                        "-At",
                                        "-v",
                                        "ON_ERROR_STOP=1",
                                        "-v",
                                        "VERBOSITY=terse",
                                        "-h",
                                        "127.0.0.1",
                                        "-p",
                                        std::to_string(port_),
                                        "-U",
                                        User,
                                        "-d",
                                        Database,
                                        "-c",
                                        "SET client_min_messages = warning",
                                        "-c",
                                        std::string(sql)},
                                       true);
    if (r.exitCode != 0) throw std::runtime_error("psql failed on: " + std::string(sql));
    std::string out = r.output;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

} // namespace tabulant::bench
