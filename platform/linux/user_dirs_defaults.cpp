#include "platform/linux/user_dirs_defaults.h"

#include <libintl.h>
#include <locale.h>

#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"

namespace trovel::platform::linux_desktop {
namespace {

// The language part of a locale name: "hu" of "hu_HU.UTF-8@euro".
std::string LanguageOf(const std::string& locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

// xdg-user-dirs' Hungarian catalogue (hu.po), the entries its defaults use.
const char* Hungarian(const std::string& element) {
    static const std::map<std::string, const char*> kNames{
        {"Desktop", "Asztal"},      {"Documents", "Dokumentumok"}, {"Download", "Letöltések"},
        {"Downloads", "Letöltések"}, {"Music", "Zenék"},           {"Pictures", "Képek"},
        {"Public", "Nyilvános"},    {"Templates", "Sablonok"},     {"Videos", "Videók"},
        {"Movies", "Filmek"},       {"Photos", "Fényképek"},       {"Projects", "Projektek"},
        {"Share", "Megosztott"},    {"Applications", "Alkalmazások"},
        {"desktop", "asztal"},      {"documents", "dokumentumok"}, {"download", "letöltések"},
        {"downloads", "letöltések"}, {"music", "zenék"},           {"pictures", "képek"},
        {"public", "nyilvános"},    {"templates", "sablonok"},     {"videos", "videók"},
        {"movies", "filmek"},       {"photos", "fényképek"},       {"projects", "projektek"},
        {"share", "megosztott"},    {"applications", "alkalmazások"},
    };
    const auto it = kNames.find(element);
    return it == kNames.end() ? nullptr : it->second;
}

// The system's xdg-user-dirs catalogue in `locale`, on this thread only; the element itself
// where the locale or the catalogue is not installed.
std::string FromSystemCatalogue(const std::string& element, const std::string& locale) {
    const locale_t wanted = ::newlocale(LC_MESSAGES_MASK, locale.c_str(), static_cast<locale_t>(nullptr));
    if (wanted == static_cast<locale_t>(nullptr)) return element;
    const locale_t before = ::uselocale(wanted);
    const char* translated = ::dgettext("xdg-user-dirs", element.c_str());
    std::string text = translated != nullptr ? translated : element;
    ::uselocale(before);
    ::freelocale(wanted);
    return text;
}

}  // namespace

std::string UserDirElementName(const std::string& element, const std::string& locale) {
    const std::string language = LanguageOf(locale);
    if (language.empty() || language == "C" || language == "POSIX" || language == "en") return element;
    if (language == "hu") {
        const char* name = Hungarian(element);
        return name != nullptr ? name : element;
    }
    return FromSystemCatalogue(element, locale);
}

std::string DefaultUserDirPath(const std::string& home, const std::string& relative, const std::string& locale) {
    // xdg-user-dirs points a key it has no default for at the home folder.
    if (relative.empty()) return home;
    return home + "/" + TranslateRelativePath(relative, [&](const std::string& element) {
               return UserDirElementName(element, locale);
           });
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
