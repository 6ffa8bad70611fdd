#include "platform/system/user_language.h"

#include <memory>
#include <vector>

#include "platform/messages.h"

#if defined(_WIN32)
#include "platform/compiled_catalogue.h"
#include "platform/windows/compiled_catalogues.h"
#else
#include "platform/linux/gettext_catalogue.h"
#endif

namespace trovel::platform {
namespace {

// The catalogue in use; replaced only from the main thread while no worker runs.
std::unique_ptr<MessageCatalogue>& Current() {
    static std::unique_ptr<MessageCatalogue> catalogue;
    return catalogue;
}

}  // namespace

void SpeakLanguage(const std::string& locale, const std::string& catalogueFolder) {
#if defined(_WIN32)
    // Windows has no gettext: the catalogues are in the program, and the language is the one
    // the user's display language settings name.
    (void)catalogueFolder;
    const std::string code = LanguageCode(locale.empty() ? windows_shell::UserInterfaceLanguage() : locale);
    std::unique_ptr<MessageCatalogue> next;
    for (const windows_shell::CatalogueBytes& compiled : windows_shell::CompiledCatalogues()) {
        if (code != compiled.language) continue;
        auto catalogue = std::make_unique<CompiledCatalogue>(compiled.language, compiled.bytes, compiled.size);
        if (!catalogue->empty()) next = std::move(catalogue);
    }
    UseMessageCatalogue(next.get());
    Current() = std::move(next);
#else
    std::vector<std::string> folders = linux_desktop::CatalogueFolders();
    if (!catalogueFolder.empty()) folders.insert(folders.begin(), catalogueFolder);
    auto next = std::make_unique<linux_desktop::GettextCatalogue>(locale, folders);
    UseMessageCatalogue(next.get());
    Current() = std::move(next);
#endif
}

void SpeakTheUsersLanguage() {
    SpeakLanguage("");
}

}  // namespace trovel::platform
