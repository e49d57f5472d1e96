#include "Bench.h"

#include <cstdio>

namespace tabulant::bench {

namespace {

void row(const char* name, std::uint64_t rows, const Series& ours, const Series& peer,
         bool withCpu) {
    const double o = ours.RowsPerSecond(rows), p = peer.RowsPerSecond(rows);
    std::printf("%-30s %11s %13s %13s %10s %10s\n", name, Grouped(static_cast<double>(rows)).c_str(),
                Grouped(o).c_str(), Grouped(p).c_str(), Ratio(o, p).c_str(),
                withCpu ? Ratio(peer.MedianCpu(), ours.MedianCpu()).c_str() : "-");
}

} // namespace

void Bench::PrintReport() const {
    const std::string manyGenerate = "(b) generate, " + std::to_string(o_.tables) + " tables";
    std::printf("\nMedians of %d runs; rows per second by wall clock on a shared machine.\n"
                "Ratios are ours over the peer measured in the same rounds; CPU compares the\n"
                "processes' user+system time (the server's own time is not in it).\n\n",
                o_.repeat);
    std::printf("%-30s %11s %13s %13s %10s %10s\n", "measurement", "rows", "ours rows/s",
                "peer rows/s", "ours/peer", "CPU");
    row("(a) read, 1 table", o_.rows, readOne_.ours, readOne_.peer, true);
    row("(b) generate, 1 table", o_.rows, generateOne_.ours, generateOne_.peer, true);
    row(manyGenerate.c_str(), o_.tables * o_.tableRows, generateMany_.ours, generateMany_.peer, true);
    row("(c) direct into the server", o_.directRows, directPair_.ours, directPair_.peer, false);
    row("(d) direct against COPY", o_.directRows, directPair_.ours, copy_, false);

    std::printf("\nPeak resident memory of our conversion (VmHWM of its process):\n");
    std::printf("  generate (preview, lines discarded) at %11s rows: %s\n",
                Grouped(static_cast<double>(o_.memoryRows)).c_str(), Megabytes(generateMemoryHwmKb_).c_str());
    std::printf("  generate (preview, lines discarded) at %11s rows: %s\n",
                Grouped(static_cast<double>(o_.rows)).c_str(), Megabytes(generateHwmKb_).c_str());
    std::printf("  direct into the server              at %11s rows: %s\n",
                Grouped(static_cast<double>(o_.directRows)).c_str(), Megabytes(directHwmKb_).c_str());
    std::printf("  direct into the server              at %11s rows: %s\n",
                Grouped(static_cast<double>(o_.memoryRows)).c_str(), Megabytes(directMemoryHwmKb_).c_str());
    if (o_.directAtFullSize)
        std::printf("  direct into the server              at %11s rows: %s\n",
                    Grouped(static_cast<double>(o_.rows)).c_str(), Megabytes(directFullHwmKb_).c_str());
    std::printf("\nWorst gap between processed events: direct %.1f ms, generate %.1f ms"
                " (start and end of the click included)\n",
                static_cast<double>(worstDirectGapUs_) / 1000.0,
                static_cast<double>(worstGenerateGapUs_) / 1000.0);

    const auto ratio = [&](const Series& ours, const Series& theirs, std::uint64_t rows) {
        return Ratio(ours.RowsPerSecond(rows), theirs.RowsPerSecond(rows));
    };
    std::printf("ratios: read=%s generate=%s direct=%s copy=%s\n",
                ratio(readOne_.ours, readOne_.peer, o_.rows).c_str(),
                ratio(generateOne_.ours, generateOne_.peer, o_.rows).c_str(),
                ratio(directPair_.ours, directPair_.peer, o_.directRows).c_str(),
                ratio(directPair_.ours, copy_, o_.directRows).c_str());
}

} // namespace tabulant::bench
