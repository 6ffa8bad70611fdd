#pragma once

#include <string>
#include <string_view>

namespace trovel::catalogue {

// Texts are UTF-8 in the core and compared the way the window does: by UTF-16 code unit.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Only the letters a-z are changed; every other character is left as it is.
std::u16string AsciiUpper(std::u16string_view text);
std::string AsciiUpper(std::string_view text);

// Orders two texts by UTF-16 code unit with a-z folded to A-Z; a text that is a
// prefix of another comes first. Negative, zero or positive, like strcmp.
int CompareAsciiFolded(std::u16string_view a, std::u16string_view b);

// True when both have the same length and differ at most in the case of a-z / A-Z.
bool EqualsAsciiFolded(std::string_view a, std::string_view b);

}  // namespace trovel::catalogue
