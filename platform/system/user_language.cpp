#include "platform/system/user_language.h"

#include <memory>
#include <vector>

#include "platform/messages.h"

#if !defined(_WIN32)
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
    // The Windows programs speak English until their catalogues are built in.
    (void)locale;
    (void)catalogueFolder;
    UseMessageCatalogue(nullptr);
    Current().reset();
#else
    std::vector<std::string> folders = linux_desktop::CatalogueFolders();
    if (!catalogueFolder.empty()) folders.insert(folders.begin(), catalogueFolder);
    auto next = std::make_unique<linux_desktop::GettextCatalogue>(locale, folders);
    UseMessageCatalogue(next.get());
    Current() = std::move(next);
#endif
}

void SpeakTheUsersLanguage() {
#if defined(_WIN32)
    SpeakLanguage("C");
#else
    SpeakLanguage("");
#endif
}

}  // namespace trovel::platform
