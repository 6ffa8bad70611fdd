#pragma once

#include <string>

#include "platform/platform.h"

namespace trovel::catalogue {

// A known folder's description, from the resource reference in its tooltip
// ("@%SystemRoot%\system32\shell32.dll,-21770": module and string number).
// Tooltips of 10 characters or fewer, references without ",-" or a decimal
// number, modules that do not load and missing strings all give an empty text.
std::string ResolveDescription(platform::Platform& platform, const std::string& tooltip);

}  // namespace trovel::catalogue
