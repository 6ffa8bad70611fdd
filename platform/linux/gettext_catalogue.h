#pragma once

#include <string>
#include <vector>

#include "platform/messages.h"

namespace trovel::platform::linux_desktop {

// The program's GNU gettext catalogue (the C library's own lookup), in the language gettext
// programs speak: LANGUAGE's first language with a catalogue (under the C locale too), else the
// messages locale's (LC_ALL, LC_MESSAGES, LANG). English where the locale is C or not installed.
class GettextCatalogue : public MessageCatalogue {
public:
    // Sets the messages locale to `locale` ("" for the environment's, "hu_HU.UTF-8", "C");
    // `folders` are searched in order for LANGUAGE/LC_MESSAGES/trovel.mo.
    GettextCatalogue(const std::string& locale, const std::vector<std::string>& folders);

    std::string Language() const override { return language_; }
    const char* Translate(const char* english) const override;
    const char* Translate(const char* singular, const char* plural, unsigned long count) const override;

private:
    std::string language_ = "C";  // "hu", …; "C" for English, without a catalogue
};

// Where an installed or freshly built program finds its catalogues: beside the executable
// (../share/locale, then locale/), then the folder it was built to be installed in.
std::vector<std::string> CatalogueFolders();

}  // namespace trovel::platform::linux_desktop
