// bench-run: how fast our side reads, generates and converts large Access files, measured side
// by side with mdb-export (and psql) on the same files and the same throwaway server.
#include "Bench.h"
#include "BulkBench.h"
#include "Measure.h"
#include "Process.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace tabulant::bench;

namespace {

std::string selfPath(const char* argv0) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return argv0;
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--measure") == 0)
        return RunMeasure(std::vector<std::string>(argv + 2, argv + argc));

    const auto options = ParseOptions(argc, argv);
    if (!options) return 2;
    InstallInterruptHandlers();
    try {
        if (options->bulk) return BulkBench(*options, selfPath(argv[0])).Run();
        Bench bench(*options, selfPath(argv[0]));
        return bench.Run();
    } catch (const Interrupted&) {
        std::fprintf(stderr, "bench-run: interrupted; server stopped\n");
        return 130;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-run: %s\n", e.what());
        return 1;
    }
}
