#pragma once

#include <cstdint>
#include <limits>

namespace trovel::space {

// Byte counts add up to at most the largest count there is: a sparse file of exabytes
// must never wrap a total round to a negative size that fits every drive.
inline std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    if (b > 0 && a > most - b) return most;
    if (b < 0 && a < least - b) return least;
    return a + b;
}

}  // namespace trovel::space
