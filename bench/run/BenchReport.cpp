#include "Bench.h"

#include <cstdio>

namespace tabulant::bench {

namespace {

// One side's figures: the series and the rows each of its runs handled.
struct Side {
    const Series& series;
    std::uint64_t rows;
    double RowsPerSecond() const { return series.RowsPerSecond(rows); }
};

std::string ratio(const Side& ours, const Side& theirs) {
    return Ratio(ours.RowsPerSecond(), theirs.RowsPerSecond());
}

void row(const std::string& name, const Side& ours, const Side& peer, bool withCpu) {
    std::printf("%-36s %10s %12s %12s %10s %8s\n", name.c_str(),
                Grouped(static_cast<double>(ours.rows)).c_str(),
                Grouped(ours.RowsPerSecond()).c_str(), Grouped(peer.RowsPerSecond()).c_str(),
                ratio(ours, peer).c_str(),
                withCpu ? Ratio(peer.series.MedianCpu(), ours.series.MedianCpu()).c_str() : "-");
}

double ms(std::int64_t us) { return static_cast<double>(us) / 1000.0; }

} // namespace

void Bench::PrintReport() const {
    const std::string server = o_.durable ? "durable server" : "relaxed server";
    const Side readOurs{readOne_.ours, o_.rows}, readPeer{readOne_.peer, o_.rows};
    const Side generateOurs{generateOne_.ours, o_.rows}, generatePeer{generateOne_.peer, o_.rows};
    const Side manyOurs{generateMany_.ours, o_.tables * o_.tableRows},
        manyPeer{generateMany_.peer, o_.tables * o_.tableRows};
    const Side directOurs{directPair_.ours, o_.directRows},
        directPeer{directPair_.peer, o_.directRows};
    const Side asyncOurs{asyncPair_.ours, o_.asyncRows}, asyncPeer{asyncPair_.peer, o_.asyncRows};
    const Side copy{copy_, o_.asyncRows};
    const Side directReplay{directReplay_, o_.directRows}, asyncReplay{asyncReplay_, o_.asyncRows};

    std::printf(
        "\nMedians of %d runs; rows per second by wall clock on a shared machine. ours/peer\n"
        "divides our rows per second by the peer's, measured in the same rounds; CPU divides\n"
        "the peer's process time (user + system) by ours (the server's time is in neither).\n"
        "psql -f runs the peer's INSERT statements from a file: the same client work as the\n"
        "peer route's psql, without mdb-export producing them beside it.\n\n",
        o_.repeat);
    std::printf("%-36s %10s %12s %12s %10s %8s\n", "measurement", "rows", "ours rows/s",
                "peer rows/s", "ours/peer", "CPU");
    row("(a) read, 1 table", readOurs, readPeer, true);
    row("(b) generate, 1 table", generateOurs, generatePeer, true);
    row("(b) generate, " + std::to_string(o_.tables) + " tables", manyOurs, manyPeer, true);
    row("(c) direct, " + server, directOurs, directPeer, false);
    row("(c) direct, synchronous_commit off", asyncOurs, asyncPeer, false);
    row("(c) vs psql -f, " + server, directOurs, directReplay, false);
    row("(c) vs psql -f, sync. commit off", asyncOurs, asyncReplay, false);
    row("(d) direct vs COPY, " + server, directOurs, copy, false);
    row("(d) direct vs COPY, sync. commit off", asyncOurs, copy, false);

    std::printf(
        "\n(f) the typed conversion (types, keys, relationships) beside the untyped one, same\n"
        "files and rounds; the last column divides typed rows per second by untyped\n");
    const Side typedGenerate{typedGenerate_, o_.rows}, typedDirect{typedDirect_, o_.directRows},
        typedAsync{typedAsync_, o_.asyncRows};
    const auto typedRow = [](const std::string& name, const Side& typed, const Side& specified) {
        std::printf("%-36s %10s %12s %14s %13s\n", name.c_str(),
                    Grouped(static_cast<double>(typed.rows)).c_str(),
                    Grouped(typed.RowsPerSecond()).c_str(),
                    Grouped(specified.RowsPerSecond()).c_str(), ratio(typed, specified).c_str());
    };
    std::printf("%-36s %10s %12s %14s %13s\n", "measurement", "rows", "typed rows/s",
                "untyped rows/s", "typed/untyped");
    typedRow("(f) generate, 1 table", typedGenerate, generateOurs);
    typedRow("(f) direct, " + server, typedDirect, directOurs);
    typedRow("(f) direct, synchronous_commit off", typedAsync, asyncOurs);

    std::printf("\n(e) peak resident memory of our conversion (VmHWM of its process):\n");
    const auto memory = [](const char* what, std::uint64_t rows, long kb) {
        std::printf("  %-40s at %11s rows: %s\n", what, Grouped(static_cast<double>(rows)).c_str(),
                    Megabytes(kb).c_str());
    };
    memory("generate (per-file preview, lines dropped)", o_.memoryRows, generateMemoryHwmKb_);
    memory("generate (per-file preview, lines dropped)", o_.rows, generateHwmKb_);
    memory("direct into the server", o_.asyncRows, directHwmKb_);
    memory("direct into the server", o_.memoryRows, directMemoryHwmKb_);
    if (o_.directAtFullSize) memory("direct into the server", o_.rows, directFullHwmKb_);
    memory("typed generate (lines dropped)", o_.rows, typedGenerateHwmKb_);
    memory("typed direct into the server", o_.memoryRows, typedDirectMemoryHwmKb_);
    if (o_.directAtFullSize) memory("typed direct into the server", o_.rows, typedDirectFullHwmKb_);

    std::printf("\nLongest wait for the event loop, wall clock / CPU time of the thread, in ms\n"
                "(opening: click to first processed events; between: between processed events;\n"
                "closing: last processed events to the end of the click):\n");
    const auto gaps = [](const char* what, const Gaps& g) {
        std::printf(
            "  %-9s opening %6.1f / %5.1f   between %6.1f / %5.1f   closing %6.1f / %5.1f\n", what,
            ms(g.opening.wallUs), ms(g.opening.cpuUs), ms(g.between.wallUs), ms(g.between.cpuUs),
            ms(g.closing.wallUs), ms(g.closing.cpuUs));
    };
    gaps("direct", directGaps_);
    gaps("generate", generateGaps_);

    std::printf("ratios: read=%s generate=%s direct=%s copy=%s typed_generate=%s "
                "typed_direct=%s typed_async=%s\n",
                ratio(readOurs, readPeer).c_str(), ratio(generateOurs, generatePeer).c_str(),
                ratio(directOurs, directPeer).c_str(), ratio(directOurs, copy).c_str(),
                ratio(typedGenerate, generateOurs).c_str(), ratio(typedDirect, directOurs).c_str(),
                ratio(typedAsync, asyncOurs).c_str());
}

} // namespace tabulant::bench
