#include "core/space/size_text.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "platform/platform.h"

namespace trovel::space {
namespace {

struct Unit {
    long double divisor;
    const char* word;
};

constexpr std::array<Unit, 4> kScaledUnits{{
    {1099511627776.0L, " TB"},
    {1073741824.0L, " GB"},
    {1048576.0L, " MB"},
    {1024.0L, " KB"},
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

std::string LocaleDecimalSeparator() { return platform::NumericLocaleDecimalSeparator(); }

SizeText SizeToStrHu(long double size, const std::string& decimalSeparator) {
    SizeText text = SizeToStr(size, decimalSeparator);
    if (text.unit == " bytes") text.unit = " bájt";
    return text;
}

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
            return {number, unit.word};
        }
    }
    return {sign + Digits(std::round(magnitude)), " bytes"};
}

}  // namespace trovel::space
