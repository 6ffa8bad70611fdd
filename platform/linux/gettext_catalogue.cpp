#include "platform/linux/gettext_catalogue.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

namespace trovel::platform::linux_desktop {
namespace {

constexpr const char* kDomain = "trovel";

bool HasCatalogue(const std::string& folder, const std::string& code) {
    struct stat info {};
    const std::string file = folder + "/" + code + "/LC_MESSAGES/" + kDomain + ".mo";
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

GettextCatalogue::GettextCatalogue(const std::string& locale, const std::vector<std::string>& folders) {
    // The messages locale as gettext programs set it; the C library then speaks it too (strerror).
    const char* set = std::setlocale(LC_MESSAGES, locale.c_str());
    const std::string name = set != nullptr ? set : "C";
    const char* list = std::getenv("LANGUAGE");
    const bool listed = list != nullptr && *list != '\0' && *list != ':';
    if (LanguageCode(name) == "C") {
        // gettext looks nothing up under C, not even LANGUAGE; LANGUAGE comes first here, so
        // with it the messages locale is C.UTF-8, which gettext does read it under.
        if (!listed || std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) {
            std::setlocale(LC_MESSAGES, "C");
            return;
        }
    }
    // gettext takes the first language of LANGUAGE that has a catalogue, else the locale's own.
    std::vector<std::string> wanted;
    for (std::string rest = listed ? list : ""; !rest.empty();) {
        const std::size_t colon = rest.find(':');
        wanted.push_back(LanguageCode(rest.substr(0, colon)));
        rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
    }
    if (wanted.empty()) wanted.push_back(LanguageCode(name));
    std::string folder;
    for (const std::string& code : wanted) {
        if (code == "C") continue;
        const auto holding = std::find_if(folders.begin(), folders.end(),
                                          [&](const std::string& candidate) { return HasCatalogue(candidate, code); });
        if (holding == folders.end()) continue;
        language_ = code;
        folder = *holding;
        break;
    }
    if (language_ == "C") {
        std::setlocale(LC_MESSAGES, "C");
        return;
    }
    ::bindtextdomain(kDomain, folder.c_str());
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    // The C library's own texts (strerror) go into ours, so they are UTF-8 too, whatever the
    // character type locale is.
    ::bind_textdomain_codeset("libc", "UTF-8");
}

const char* GettextCatalogue::Translate(const char* english) const {
    if (language_ == "C") return english;
    return ::dgettext(kDomain, english);
}

const char* GettextCatalogue::Translate(const char* singular, const char* plural, unsigned long count) const {
    if (language_ == "C") return count == 1 ? singular : plural;
    return ::dngettext(kDomain, singular, plural, count);
}

std::vector<std::string> CatalogueFolders() {
    std::vector<std::string> folders;
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) {
        std::string exe(buffer, static_cast<std::size_t>(n));
        const std::string dir = exe.substr(0, exe.rfind('/'));
        folders.push_back(dir + "/../share/locale");
        folders.push_back(dir + "/locale");
    }
    folders.push_back(TROVEL_LOCALE_DIR);
    return folders;
}

}  // namespace trovel::platform::linux_desktop
