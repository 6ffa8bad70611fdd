#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace trovel::platform::windows_shell {

// A catalogue msgfmt compiled at build time, carried in the program.
struct CatalogueBytes {
    const char* language = "";  // "hu"
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

// Every language the build had a catalogue for (made from po/*.po by the build).
const std::vector<CatalogueBytes>& CompiledCatalogues();

// The user's display language ("hu-HU"), as Windows' language settings say.
std::string UserInterfaceLanguage();

}  // namespace trovel::platform::windows_shell
