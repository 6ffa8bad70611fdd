#include "platform/linux/user_dirs_defaults.h"

#include <libintl.h>

#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"

namespace trovel::platform::linux_desktop {

std::string TranslateWithXdgUserDirs(const std::string& element) {
    const char* translated = ::dgettext("xdg-user-dirs", element.c_str());
    return translated != nullptr ? translated : element;
}

std::map<std::string, std::string> ParseUserDirsDefaults(std::string_view text) {
    std::map<std::string, std::string> defaults;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.remove_suffix(1);
        defaults[std::string(line.substr(0, equals))] = std::string(value);
    }
    return defaults;
}

std::map<std::string, std::string> ReadUserDirsDefaults(const Environment& env) {
    std::vector<std::string> places{env.configHome};
    places.insert(places.end(), env.configDirs.begin(), env.configDirs.end());
    for (const std::string& dir : places) {
        if (auto text = ReadWholeFile(dir + "/user-dirs.defaults")) return ParseUserDirsDefaults(*text);
    }
    return {{"DESKTOP", "Desktop"},     {"DOWNLOAD", "Downloads"}, {"TEMPLATES", "Templates"},
            {"PUBLICSHARE", "Public"},  {"DOCUMENTS", "Documents"}, {"MUSIC", "Music"},
            {"PICTURES", "Pictures"},   {"VIDEOS", "Videos"}};
}

std::string TranslateRelativePath(const std::string& relative, const ElementTranslator& translate) {
    std::string out;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const auto slash = relative.find('/', start);
        const std::string element =
            relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!out.empty()) out += '/';
        out += element.empty() ? element : translate(element);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return out;
}

}  // namespace trovel::platform::linux_desktop
