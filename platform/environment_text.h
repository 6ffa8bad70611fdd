#pragma once

#include <functional>
#include <string>

namespace trovel::platform {

// Replaces every %NAME% in `text` by `lookup(NAME)`; a name the lookup does not know
// (it returns false) stays as written, as Windows leaves it.
std::string ExpandPercentVariables(const std::string& text,
                                   const std::function<bool(const std::string& name, std::string& value)>& lookup);

}  // namespace trovel::platform
