#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace trovel::relocation {

// Before the shell's Redirect copies a folder's content (Windows, where the shell moves the
// content and would merge into what is at the target): walks the folder through the
// platform's listings, the nested known folders in `exclusions` left out, and refuses, naming
// the first few paths, entries that cannot be listed, entries already at the target under the
// same name with another type, size or time (nothing there is ever overwritten; the same
// counts as copied, so a repeated run completes an interrupted one), and too little free
// space for the rest. Empty when the content can go.
std::string CheckContentTarget(platform::Platform& platform, const std::string& source, const std::string& target,
                               const std::vector<std::string>& exclusions);

}  // namespace trovel::relocation
