#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace tabulant::bench {

void Series::Add(const ProcessResult& run) {
    wall_.push_back(run.wallSeconds);
    cpu_.push_back(run.cpuSeconds);
    peakRssKb_ = std::max(peakRssKb_, run.maxRssKb);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void Gaps::Add(const Gaps& other) {
    opening.Max(other.opening);
    between.Max(other.between);
    closing.Max(other.closing);
}

double Series::MedianWall() const { return Median(wall_); }
double Series::MedianCpu() const { return Median(cpu_); }

double Series::RowsPerSecond(std::uint64_t rows) const {
    const double t = MedianWall();
    return t > 0 ? static_cast<double>(rows) / t : 0;
}

std::string Series::Times() const {
    std::string s;
    char buffer[32];
    for (double t : wall_) {
        std::snprintf(buffer, sizeof buffer, s.empty() ? "%.2f" : " %.2f", t);
        s += buffer;
    }
    return s;
}

std::string Ratio(double ours, double theirs) {
    if (!(ours > 0) || !(theirs > 0)) return "-";
    // Two decimals, but three significant digits for a small ratio, which would round to 0.00.
    const double r = ours / theirs;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, r >= 0.1 ? "%.2f" : "%.3g", r);
    return buffer;
}

std::string Grouped(double value) {
    const std::string digits = std::to_string(static_cast<long long>(std::llround(value)));
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Megabytes(long kb) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f MB", static_cast<double>(kb) / 1024.0);
    return buffer;
}

long ResultField(const std::string& line, const std::string& key) {
    const auto at = line.find(" " + key + "=");
    if (at == std::string::npos) throw std::runtime_error("no " + key + " in: " + line);
    return std::stol(line.substr(at + key.size() + 2));
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " (1 min), " + five + " (5 min)";
}

} // namespace tabulant::bench
