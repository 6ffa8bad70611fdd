#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/linux/environment.h"

namespace trovel::platform::linux_desktop {

// Translates one path element ("Documents") into the user's language.
using ElementTranslator = std::function<std::string(const std::string&)>;

// The translator xdg-user-dirs itself uses: its gettext catalogue, in the
// user's message locale.
std::string TranslateWithXdgUserDirs(const std::string& element);

// Key ("DOCUMENTS") to the default path relative to home ("Documents"), from the
// first user-dirs.defaults found in $XDG_CONFIG_HOME then $XDG_CONFIG_DIRS; the
// built-in xdg-user-dirs defaults when there is none.
std::map<std::string, std::string> ReadUserDirsDefaults(const Environment& env);
std::map<std::string, std::string> ParseUserDirsDefaults(std::string_view text);

// "Documents/Music" -> "Dokumentumok/Zene", element by element.
std::string TranslateRelativePath(const std::string& relative, const ElementTranslator& translate);

}  // namespace trovel::platform::linux_desktop
