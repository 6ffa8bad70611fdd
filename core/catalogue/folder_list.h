#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace trovel::catalogue {

// One registered folder as the catalogue reads it, without widgets: for the command line,
// and the rules the catalogue's rows share with it.
struct FolderInfo {
    platform::KnownFolderId id;
    bool found = false;  // the registry handed the folder out
    platform::KnownFolderDefinition definition;
    std::uint32_t category = 0;
    std::uint32_t capability = 0;  // forced off (0x200) for a folder that holds a kept one
    std::string path;              // empty: no path to be had
    std::string defaultPath;
    bool holdsKeptFolder = false;
    std::vector<std::size_t> nested;  // indexes of the folders inside this one
};

// Every registered folder in the registry's order, with the rules applied: folders holding
// the home folder or the desktop's own folders are never relocatable, and nested known folders
// are found by their paths.
std::vector<FolderInfo> ReadFolderList(platform::Platform& platform, platform::KnownFolderManager& manager);

// Which of the folders (by id and path) are, or hold, the home folder or the folders the
// desktop keeps its settings and data in; those kept folders themselves are not marked.
std::vector<bool> MarkHoldersOfKeptFolders(platform::PathStyle style, const std::vector<platform::KnownFolderId>& ids,
                                           const std::vector<std::string>& paths);

// For each path, the indexes of the paths nested in it. Trims one trailing separator from
// each path first (a folder at a drive root "D:\" becomes "D:"), as the comparison needs.
std::vector<std::vector<std::size_t>> FindNestedFolders(std::vector<std::string>& paths, char separator);

}  // namespace trovel::catalogue
