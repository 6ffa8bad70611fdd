#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/guid.h"

namespace trovel::platform::linux_desktop {

// Where an entry's path comes from.
enum class PathSource {
    UserDir,      // an xdg-user-dirs key: per user, relocatable
    Home,         // $HOME
    ConfigHome,   // $XDG_CONFIG_HOME
    DataHome,     // $XDG_DATA_HOME
    CacheHome,    // $XDG_CACHE_HOME
    UnderData,    // a fixed folder below $XDG_DATA_HOME
    UnderConfig,  // a fixed folder below $XDG_CONFIG_HOME
    Absolute,     // a system-wide folder
    None,         // no file-system path (the trash as a virtual folder)
};

struct FolderEntry {
    Guid id;
    const char* name;  // the canonical name, as Windows registers it where it has a counterpart
    std::uint32_t category;
    std::uint32_t capability;
    Guid folderType;
    PathSource source;
    const char* where;  // the user-dirs key, the sub-folder, or the absolute path
    std::uint32_t descriptionId;
    const char* iconName;  // freedesktop icon-theme name
};

// The module name of the string table in tooltips ("@trovel-shell,-101").
inline constexpr const char* kStringModule = "trovel-shell";

// Every known folder this layer registers, in registry order.
const std::vector<FolderEntry>& FolderTable();

// The Hungarian description with that number; nullptr when there is none.
const char* DescriptionText(std::uint32_t id);

// What the desktop calls the folder, in English ("Music") and in Hungarian ("Zene"); nullptr
// for an id the table does not hold.
struct DisplayNames {
    const char* english;
    const char* hungarian;
};
const DisplayNames* DisplayNamesOf(const Guid& id);

}  // namespace trovel::platform::linux_desktop
