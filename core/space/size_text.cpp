#include "core/space/size_text.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

#include "platform/messages.h"
#include "platform/platform.h"

namespace trovel::space {
namespace {

struct Unit {
    long double divisor;
    const char* word;
};

// Binary units, named as IEC names them; a language may name them as its users are used to.
constexpr std::array<Unit, 4> kScaledUnits{{
    {1099511627776.0L, platform::TrLater("TiB")},
    {1073741824.0L, platform::TrLater("GiB")},
    {1048576.0L, platform::TrLater("MiB")},
    {1024.0L, platform::TrLater("KiB")},
}};

// Plain decimal digits with no separators; long double holds every 64-bit count exactly.
std::string Digits(long double wholeMagnitude) {
    std::string out;
    do {
        const long double next = std::floor(wholeMagnitude / 10.0L);
        const auto digit = static_cast<int>(wholeMagnitude - next * 10.0L);
        out.insert(out.begin(), static_cast<char>('0' + digit));
        wholeMagnitude = next;
    } while (wholeMagnitude >= 1.0L);
    return out;
}

}  // namespace

std::string CountText(std::uint64_t count, const std::string& separator, const std::string& grouping) {
    const std::string digits = std::to_string(count);
    if (separator.empty() || grouping.empty()) return digits;
    std::string out;
    std::size_t group = 0;  // index into `grouping`; its last size repeats
    std::size_t inGroup = 0;
    for (std::size_t left = digits.size(); left > 0; --left) {
        const auto size = static_cast<unsigned char>(grouping[group]);
        if (size > 0 && size != CHAR_MAX && inGroup == size) {
            out.insert(0, separator);
            inGroup = 0;
            if (group + 1 < grouping.size()) ++group;
        }
        out.insert(out.begin(), digits[left - 1]);
        ++inGroup;
    }
    return out;
}

std::string CountText(std::uint64_t count) {
    std::string separator, grouping;
    platform::NumericLocaleGrouping(separator, grouping);
    return CountText(count, separator, grouping);
}

std::string LocaleDecimalSeparator() { return platform::NumericLocaleDecimalSeparator(); }

SizeText SizeToStr(long double size) { return SizeToStr(size, LocaleDecimalSeparator()); }

SizeText SizeToStr(long double size, const std::string& decimalSeparator) {
    const long double magnitude = std::fabs(size);
    const std::string sign = size < 0 ? "-" : "";
    // The unit is chosen before rounding and is not revisited, so 1,048,575 bytes print as 1024.00 KB.
    for (const Unit& unit : kScaledUnits) {
        if (magnitude / unit.divisor >= 1.0L) {
            const long double hundredths = std::round(magnitude / unit.divisor * 100.0L);
            const long double whole = std::floor(hundredths / 100.0L);
            const auto fraction = static_cast<int>(hundredths - whole * 100.0L);
            std::string number = sign + Digits(whole) + decimalSeparator;
            number += static_cast<char>('0' + fraction / 10);
            number += static_cast<char>('0' + fraction % 10);
            return {number, std::string(" ") + platform::Tr(unit.word)};
        }
    }
    return {sign + Digits(std::round(magnitude)), std::string(" ") + platform::Tr("bytes")};
}

}  // namespace trovel::space
