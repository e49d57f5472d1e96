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
    "       bench-run --bulk [--quick] [--bulk-rows N] [--bulk-memory-rows N] [--memory-rows N]\n"
    "                 [--bulk-file FILE [--bulk-table NAME]]\n"
    "                 [--direct-rows N] [--chunk-rows N] [--repeat R] [--work DIR] [--keep]\n"
    "  --rows N         rows of the one-table file (1000000)\n"
    "  --tables T       tables of the many-table file (20), of --table-rows N rows each (50000)\n"
    "  --direct-rows N  rows converted into the server per direct run (20000); each commit\n"
    "                   waits for its flush to disk, as with the server's default settings\n"
    "  --async-rows N   rows per direct run with synchronous_commit off, and for COPY (50000)\n"
    "  --memory-rows N  the smaller table of the peak-memory comparison (100000)\n"
    "  --repeat R       runs of every measurement; medians are reported (3)\n"
    "  --direct-full    also convert the --rows table directly once, for its peak memory\n"
    "  --no-durability  keep the throwaway cluster's fsync=off settings throughout\n"
    "  --work DIR       put the files and the cluster in DIR; --keep leaves them there\n"
    "  --bulk           the bulk load (COPY) alone, beside psql's \\copy of mdb-export's CSV\n"
    "                   and the server's COPY of a file: --bulk-rows N per round (200000),\n"
    "                   peak memory at --memory-rows and --bulk-memory-rows N (1000000), the\n"
    "                   durable server against one INSERT a row at --direct-rows\n"
    "  --bulk-file FILE with --bulk: load this Access file's tables instead of one written\n"
    "                   here; --bulk-table NAME is the one the peers load (its first)\n"
    "  --chunk-rows N   with --bulk: rows of a chunk, instead of the program's own\n"
    "  --quick          with --bulk: 2 rounds, 2000 rows one INSERT a row (about 2 minutes)\n";

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
        if (a == "--bulk" || a == "--quick") {
            (a == "--bulk" ? o.bulk : o.quick) = true;
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
        else if (a == "--bulk-file")
            o.bulkFile = v;
        else if (a == "--bulk-table")
            o.bulkTable = v;
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
        else if (a == "--bulk-rows")
            o.bulkRows = n;
        else if (a == "--bulk-memory-rows")
            o.bulkMemoryRows = n;
        else if (a == "--chunk-rows")
            o.chunkRows = n;
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
