#pragma once

#include <string>

namespace trovel::space {

// A byte count as a short number text and, separately, its unit word in the catalogue's
// language (" bájt", " KB", " MB", " GB", " TB" in Hungarian; " KiB", " MiB", … in English);
// callers join the two themselves.
struct SizeText {
    std::string number;
    std::string unit;
};

// Uses the decimal separator of the process's numeric locale.
SizeText SizeToStr(long double size);
// The same with an explicit decimal separator.
SizeText SizeToStr(long double size, const std::string& decimalSeparator);

// The decimal separator of the process's numeric locale ("." under English, "," under Hungarian).
std::string LocaleDecimalSeparator();

}  // namespace trovel::space
