#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace trovel::bench {

using Clock = std::chrono::steady_clock;

// The middle of several timings, which one slow run does not move.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace trovel::bench
