#pragma once

#include <cstdint>
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

// A count (of files, of folders) with its digits grouped as the process's numeric locale
// groups them ("12,345" under English, "12.345" under Hungarian, "12345" under C).
std::string CountText(std::uint64_t count);
// The same with an explicit separator and localeconv-style group sizes, rightmost first; the
// last size repeats, and CHAR_MAX or a size of 0 ends the grouping.
std::string CountText(std::uint64_t count, const std::string& separator, const std::string& grouping);

}  // namespace trovel::space
