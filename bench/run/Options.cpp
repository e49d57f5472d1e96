#include "Options.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tabulant::bench {

const char* const Usage =
    "usage: bench-run [--rows N] [--tables T] [--table-rows N] [--direct-rows N]\n"
    "                 [--async-rows N] [--memory-rows N] [--repeat R] [--no-direct-full]\n"
    "                 [--no-durability] [--work DIR] [--keep]\n"
    "  --rows N         rows of the one-table file (1000000)\n"
    "  --tables T       tables of the many-table file (20), of --table-rows N rows each (50000)\n"
    "  --direct-rows N  rows converted into the server per direct run (20000); each commit\n"
    "                   waits for its flush to disk, as with the server's default settings\n"
    "  --async-rows N   rows per direct run with synchronous_commit off, and for COPY (50000)\n"
    "  --memory-rows N  the smaller table of the peak-memory comparison (100000)\n"
    "  --repeat R       runs of every measurement; medians are reported (3)\n"
    "  --direct-full    also convert the --rows table directly once, for its peak memory\n"
    "  --no-durability  keep the throwaway cluster's fsync=off settings throughout\n"
    "  --work DIR       put the files and the cluster in DIR; --keep leaves them there\n";

namespace {

bool number(const char* text, std::uint64_t& out) {
    const char* end = text + std::strlen(text);
    const auto [p, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && p == end && p != text && out > 0;
}

} // namespace

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--no-direct-full") {
            o.directAtFullSize = false;
            continue;
        }
        if (a == "--no-durability") {
            o.durable = false;
            continue;
        }
        if (a == "--keep") {
            o.keep = true;
            continue;
        }
        if (a == "--help" || a == "-h" || i + 1 >= argc) {
            std::fputs(Usage, stderr);
            return std::nullopt;
        }
        const char* v = argv[++i];
        std::uint64_t n = 0;
        bool ok = true;
        if (a == "--work")
            o.workDir = v;
        else if (!number(v, n))
            ok = false;
        else if (a == "--rows")
            o.rows = n;
        else if (a == "--tables")
            o.tables = n;
        else if (a == "--table-rows")
            o.tableRows = n;
        else if (a == "--direct-rows")
            o.directRows = n;
        else if (a == "--async-rows")
            o.asyncRows = n;
        else if (a == "--memory-rows")
            o.memoryRows = n;
        else if (a == "--repeat" && n <= 100)
            o.repeat = static_cast<int>(n);
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "bench-run: bad option %s %s\n%s", argv[i - 1], v, Usage);
            return std::nullopt;
        }
    }
    return o;
}

} // namespace tabulant::bench
