#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace trovel::bench {

using Clock = std::chrono::steady_clock;

// The middle of several timings, which one slow run does not move. Of an even count it is
// the mean of the middle two: the upper one alone would report the slower of two runs.
inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// Each run's ratio of two timings taken in that run, in run order.
inline std::vector<double> RunRatios(const std::vector<double>& ours, const std::vector<double>& theirs) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
        ratios.push_back(theirs[i] > 0.0 ? ours[i] / theirs[i] : 0.0);
    return ratios;
}

// "name = median (runs: r1 r2 ..., spread min-max)": every run stays visible, so one noisy
// run cannot hide behind the median.
inline void PrintRatio(const std::string& name, const std::vector<double>& ours, const std::vector<double>& theirs) {
    const std::vector<double> ratios = RunRatios(ours, theirs);
    if (ratios.empty()) return;
    std::printf("ratio %s = %.2f (median of the runs' ratios; runs:", name.c_str(), Median(ratios));
    for (const double ratio : ratios) std::printf(" %.2f", ratio);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("; spread %.2f-%.2f)\n", *low, *high);
}

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace trovel::bench
