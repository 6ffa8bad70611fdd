#pragma once

#include <string>

namespace trovel::space {

// A byte count as a short number text and, separately, its unit word
// (" bytes", " KB", " MB", " GB", " TB"); callers join the two themselves.
struct SizeText {
    std::string number;
    std::string unit;
};

// Uses the decimal separator of the process's numeric locale.
SizeText SizeToStr(long double size);
// The same with an explicit decimal separator.
SizeText SizeToStr(long double size, const std::string& decimalSeparator);

// The same in the window's Hungarian: " bájt" for " bytes" (the other units are the same).
SizeText SizeToStrHu(long double size, const std::string& decimalSeparator);

// The decimal separator of the process's numeric locale ("." under English, "," under Hungarian).
std::string LocaleDecimalSeparator();

}  // namespace trovel::space
