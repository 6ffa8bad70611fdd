#include "platform/linux/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {

std::string AbsoluteVariable(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return fallback;
    return value;
}

std::string MessageLocaleFromProcess() {
    std::string locale = "C";
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        locale = value;
        break;
    }
    if (locale == "C" || locale == "POSIX") return locale;
    // LANGUAGE is a list of languages to try; the first is the one asked for.
    if (const char* language = std::getenv("LANGUAGE"); language != nullptr && *language != '\0') {
        const std::string list = language;
        if (const std::string first = list.substr(0, list.find(':')); !first.empty()) return first;
    }
    return locale;
}

Environment Environment::FromProcess() {
    Environment env;
    env.home = AbsoluteVariable("HOME", {});
    if (env.home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
            env.home = entry->pw_dir;
    }
    env.home = WithoutTrailingSeparators(PathStyle::Posix, env.home);
    env.configHome = AbsoluteVariable("XDG_CONFIG_HOME", env.home + "/.config");
    env.dataHome = AbsoluteVariable("XDG_DATA_HOME", env.home + "/.local/share");
    env.cacheHome = AbsoluteVariable("XDG_CACHE_HOME", env.home + "/.cache");
    env.stateHome = AbsoluteVariable("XDG_STATE_HOME", env.home + "/.local/state");
    env.messageLocale = MessageLocaleFromProcess();
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg";
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto colon = list.find(':', start);
        const std::string dir = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty() && dir.front() == '/') env.configDirs.push_back(dir);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return env;
}

}  // namespace trovel::platform::linux_desktop
