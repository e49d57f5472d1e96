#pragma once

#include "GapEventLoop.h"
#include "Process.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tabulant::bench {

// The repeated runs of one measurement.
class Series {
public:
    void Add(const ProcessResult& run);
    bool Empty() const { return wall_.empty(); }
    double MedianWall() const;
    double MedianCpu() const;
    long PeakRssKb() const { return peakRssKb_; }
    // Rows per second at the median wall time; 0 when nothing was measured.
    double RowsPerSecond(std::uint64_t rows) const;
    // The wall times, for the log: "2.31 2.05 2.40".
    std::string Times() const;

private:
    std::vector<double> wall_, cpu_;
    long peakRssKb_ = 0;
};

double Median(std::vector<double> values);

// The longest waits for the event loop in a conversion: before the first processed events
// (opening), between processed events, after the last ones (closing).
struct Gaps {
    GapTimes opening, between, closing;

    void Add(const Gaps& other);
};

// "1.93" for a ratio, "0.0117" for a small one; "-" when either side is missing.
std::string Ratio(double ours, double theirs);
// "1,234,567" for a count, rounded.
std::string Grouped(double value);
std::string Megabytes(long kb);

// The number after " key=" in a measurement's result line; throws when there is none.
long ResultField(const std::string& line, const std::string& key);
// The load average of the last minute and the last five, for the log.
std::string LoadAverage();
// Prints to standard output at once: the log of a long run shows where it is.
void Say(const char* format, auto... args) {
    std::printf(format, args...);
    std::fflush(stdout);
}

} // namespace tabulant::bench
