#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/linux/environment.h"

namespace trovel::platform::linux_desktop {

// Translates one path element ("Documents") into the user's language.
using ElementTranslator = std::function<std::string(const std::string&)>;

// One path element of the user-dirs defaults ("Music") as xdg-user-dirs-update names it for a
// user with message locale `locale` ("hu_HU.UTF-8": "Zenék"; "C": "Music"). Hungarian from the
// program's own copy of xdg-user-dirs' catalogue, so that it does not hang on what is
// installed; other languages from the system's catalogue; the element itself otherwise.
std::string UserDirElementName(const std::string& element, const std::string& locale);

// The default path of a user-dirs folder, `relative` being its entry in user-dirs.defaults
// ("Music", "Documents/Music"), translated element by element for `locale`. The window and the
// command line both restore a folder here.
std::string DefaultUserDirPath(const std::string& home, const std::string& relative, const std::string& locale);

// Key ("DOCUMENTS") to the default path relative to home ("Documents"), from the
// first user-dirs.defaults found in $XDG_CONFIG_HOME then $XDG_CONFIG_DIRS; the
// built-in xdg-user-dirs defaults when there is none.
std::map<std::string, std::string> ReadUserDirsDefaults(const Environment& env);
std::map<std::string, std::string> ParseUserDirsDefaults(std::string_view text);

// "Documents/Music" -> "Dokumentumok/Zene", element by element.
std::string TranslateRelativePath(const std::string& relative, const ElementTranslator& translate);

}  // namespace trovel::platform::linux_desktop
