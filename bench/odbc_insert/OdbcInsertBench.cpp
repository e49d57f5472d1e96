// Single-row INSERT statements, one Execute each in autocommit (as a conversion run sends them),
// through our ODBC connection against psql -f of the same statements on the same throwaway
// server; then the same loop with other psqlODBC keywords added to the connection string.
//
//     bench_odbc_insert [rows]        (default 20000)

#include "db/odbc/OdbcConnection.h"
#include "platform/Error.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace tabulant;

namespace {

std::string readLine(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

int run(const std::string& command) { return std::system(command.c_str()); }

// CPU seconds (user + system) of this process or of its finished children. Wall time on a shared
// machine is noisy; the client's CPU per statement is not.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
    void keepBest(double w, double c) {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
};

std::vector<std::string> statements(int rows) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(rows));
    for (int i = 1; i <= rows; ++i)
        out.push_back("INSERT INTO \"bench\" (\"ID\", \"Name\", \"Amount\", \"Seen\") VALUES (" +
                      std::to_string(i) + ", 'Row " + std::to_string(i) + " Ωμέγα', " +
                      std::to_string(i) + ".25, TRUE);");
    return out;
}

Timing odbcRun(const std::string& connectionString, const std::vector<std::string>& sql) {
    auto connection = db::CreateOdbcConnection();
    connection->Open(connectionString);
    connection->Execute("DROP TABLE IF EXISTS \"bench\"");
    connection->Execute("CREATE TABLE \"bench\" (\"ID\" NUMERIC, \"Name\" TEXT, \"Amount\" "
                        "NUMERIC, \"Seen\" BOOL)");
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds(RUSAGE_SELF);
    for (const std::string& s : sql) connection->Execute(s);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Timing t;
    t.keepBest(elapsed.count(), cpuSeconds(RUSAGE_SELF) - cpuStart);
    connection->Close();
    return t;
}

} // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    char dirTemplate[] = "/tmp/tabulant-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    chmod(dirTemplate, 0755); // the server may run as another user (postgres, under root)
    const std::string dir = std::string(dirTemplate) + "/pg";
    const std::string script = TABULANT_PG_CLUSTER_SCRIPT;
    if (run(script + " start " + dir + " >/dev/null") != 0) return 1;
    const std::string port = readLine(dir + "/port");
    const std::string base = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port +
                             ";Uid=tabulant;Pwd=tabulant;Database=tabulant";
    const auto sql = statements(rows);
    int status = 0;
    try {
        // psql: the same statements from a file, autocommit, over TCP like the driver.
        const std::string file = std::string(dirTemplate) + "/inserts.sql";
        {
            std::ofstream out(file);
            out << "DROP TABLE IF EXISTS \"bench\";\n"
                   "CREATE TABLE \"bench\" (\"ID\" NUMERIC, \"Name\" TEXT, \"Amount\" NUMERIC, "
                   "\"Seen\" BOOL);\n";
        }
        const std::string psql = readLine(dir + "/bindir") +
                                 "/psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " + port +
                                 " -U tabulant -d tabulant";
        run("PGPASSWORD=tabulant " + psql + " -f " + file + " >/dev/null 2>&1");
        {
            std::ofstream out(file);
            for (const std::string& s : sql) out << s << '\n';
        }
        // The machine is shared: each figure is the best of three rounds, taken in turn.
        constexpr int Rounds = 3;
        const std::vector<std::string> variants = {"",
                                                   ";UseServerSidePrepare=0",
                                                   ";UseServerSidePrepare=1",
                                                   ";Protocol=7.4-0",
                                                   ";Protocol=7.4-1",
                                                   ";Parse=0;UpdatableCursors=0"};
        Timing psqlBest;
        std::vector<Timing> best(variants.size());
        for (int round = 0; round < Rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuSeconds(RUSAGE_CHILDREN);
            if (run("PGPASSWORD=tabulant " + psql + " -f " + file + " >/dev/null 2>&1") != 0)
                throw std::runtime_error("psql failed");
            psqlBest.keepBest(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                cpuSeconds(RUSAGE_CHILDREN) - cpuStart);
            run("PGPASSWORD=tabulant " + psql + " -c 'TRUNCATE \"bench\"'");
            for (std::size_t v = 0; v < variants.size(); ++v) {
                const Timing t = odbcRun(base + variants[v], sql);
                best[v].keepBest(t.wall, t.cpu);
            }
        }
        std::printf("%d single-row INSERT statements, autocommit, best of %d\n", rows, Rounds);
        std::printf("%-40s %9s %12s %10s\n", "", "rows/s", "x psql", "client us/row");
        std::printf("%-40s %9.0f %12s %10.1f\n", "psql -f", rows / psqlBest.wall, "1.00",
                    psqlBest.cpu / rows * 1e6);
        for (std::size_t v = 0; v < variants.size(); ++v)
            std::printf("%-40s %9.0f %12.2f %10.1f\n",
                        ("ODBC" + (variants[v].empty() ? std::string(" (our connection as it is)")
                                                       : variants[v]))
                            .c_str(),
                        rows / best[v].wall, psqlBest.wall / best[v].wall,
                        best[v].cpu / rows * 1e6);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        status = 1;
    }
    run(script + " destroy " + dir);
    run(std::string("rm -rf ") + dirTemplate);
    return status;
}
