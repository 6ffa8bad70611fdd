#include <windows.h>

#include "platform/windows/compiled_catalogues.h"
#include "platform/windows/wide_text.h"

namespace trovel::platform::windows_shell {

std::string UserInterfaceLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID id = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (::LCIDToLocaleName(id, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return "C";
    return Narrow(name);
}

}  // namespace trovel::platform::windows_shell
