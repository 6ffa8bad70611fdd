#include "core/space/drive_fit.h"

#include <cmath>
#include <limits>

namespace trovel::space {
namespace {

// numerator / denominator rounded to the nearest whole number, a half going to the even one.
std::int64_t RoundHalfEven(std::int64_t quotient, std::int64_t remainder, std::int64_t denominator) {
    const std::int64_t rest = denominator - remainder;  // compared without doubling, which could overflow
    if (remainder > rest || (remainder == rest && quotient % 2 != 0)) return quotient + 1;
    return quotient;
}

}  // namespace

std::int64_t AtMost(std::int64_t freeBytes, std::int64_t totalBytes) {
    if (totalBytes <= 0) return 0;
    if (freeBytes < 0) freeBytes = 0;
    // free / 1.2 = free * 5 / 6, split so that nothing overflows.
    const std::int64_t whole = freeBytes / 6 * 5;
    const std::int64_t part = freeBytes % 6 * 5;
    std::int64_t limit = RoundHalfEven(whole + part / 6, part % 6, 6);
    if (limit > kMostLimit) limit = kMostLimit;
    else if (limit < kLeastLimit) limit = kLeastLimit;
    // The floor must not promise more than there is: content never fits in less than it needs.
    if (limit > freeBytes) limit = freeBytes;
    return limit;
}

bool Fits(std::int64_t atMost, std::int64_t content) { return atMost > content; }

int Percent(std::int64_t part, std::int64_t whole) {
    if (whole <= 0) return 0;
    if (part <= 0) return 0;
    const std::int64_t q = part / whole;
    const std::int64_t r = part % whole;
    if (r <= std::numeric_limits<std::int64_t>::max() / 100) {
        const std::int64_t scaled = r * 100;
        return static_cast<int>(RoundHalfEven(q * 100 + scaled / whole, scaled % whole, whole));
    }
    // Past 92 petabytes: the ratio in long double, where a true tie cannot be told apart anyway.
    return static_cast<int>(q * 100 + std::nearbyint(static_cast<long double>(r) * 100.0L / static_cast<long double>(whole)));
}

}  // namespace trovel::space
