#pragma once

#include <cstdint>

namespace trovel::space {

inline constexpr std::int64_t kLeastLimit = 104857600;   // 100 MiB
inline constexpr std::int64_t kMostLimit = 10737418240;  // 10 GiB

// The most content a drive takes in one run: five sixths of the user's free space
// (free / 1.2, rounded half to even), but at least 100 MiB and at most 10 GiB, and
// never more than the free space itself.
// Content fits only when strictly smaller. A drive whose size reads 0 takes nothing.
std::int64_t AtMost(std::int64_t freeBytes, std::int64_t totalBytes);
bool Fits(std::int64_t atMost, std::int64_t content);

// part / whole as a percentage rounded half to even; 0 for a whole of 0.
int Percent(std::int64_t part, std::int64_t whole);

}  // namespace trovel::space
