#include "core/catalogue/folder_list.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "platform/known_folder_ids.h"
#include "core/basics/path_slicing.h"

namespace trovel::catalogue {

using platform::Succeeded;

std::vector<bool> MarkHoldersOfKeptFolders(platform::PathStyle style, const std::vector<platform::KnownFolderId>& ids,
                                           const std::vector<std::string>& paths) {
    // The home folder and the folders the desktop keeps its settings and data in.
    const platform::Guid keptIds[] = {platform::FOLDERID_Profile, platform::FOLDERID_RoamingAppData,
                                      platform::FOLDERID_LocalAppData, platform::FOLDERID_InternetCache};
    const auto isKept = [&](std::size_t i) {
        return std::find(std::begin(keptIds), std::end(keptIds), ids[i]) != std::end(keptIds);
    };
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (isKept(i) && !paths[i].empty()) kept.push_back(paths[i]);
    std::vector<bool> marks(ids.size(), false);
    for (std::size_t i = 0; i < ids.size(); ++i)
        marks[i] = !paths[i].empty() && !isKept(i) && platform::HoldsKeptFolder(style, paths[i], kept);
    return marks;
}

std::vector<std::vector<std::size_t>> FindNestedFolders(std::vector<std::string>& paths, char separator) {
    for (std::string& path : paths) relocation::TrimOneTrailingSeparator(path, separator);
    std::vector<std::vector<std::size_t>> nested(paths.size());
    for (std::size_t outer = 0; outer < paths.size(); ++outer)
        for (std::size_t inner = 0; inner < paths.size(); ++inner)
            if (inner != outer && relocation::IsNestedIn(paths[inner], paths[outer], separator))
                nested[outer].push_back(inner);
    return nested;
}

std::vector<FolderInfo> ReadFolderList(platform::Platform& platform, platform::KnownFolderManager& manager) {
    std::vector<platform::KnownFolderId> ids;
    if (!Succeeded(manager.GetFolderIds(ids))) ids.clear();
    std::vector<FolderInfo> folders(ids.size());
    std::vector<std::string> paths(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        FolderInfo& info = folders[i];
        info.id = ids[i];
        std::unique_ptr<platform::KnownFolder> folder;
        if (!Succeeded(manager.GetFolder(info.id, folder)) || !folder) continue;
        info.found = true;
        if (!Succeeded(folder->GetFolderDefinition(info.definition))) info.definition = {};
        folder->GetCategory(info.category);
        folder->GetRedirectionCapabilities(info.capability);
        if (!Succeeded(folder->GetPath(platform::kCurrentPathFlags, info.path))) info.path.clear();
        if (!Succeeded(folder->GetPath(platform::kDefaultPathFlags, info.defaultPath))) info.defaultPath.clear();
        paths[i] = info.path;
    }
    const std::vector<bool> holders = MarkHoldersOfKeptFolders(platform.Style(), ids, paths);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (!holders[i]) continue;
        folders[i].holdsKeptFolder = true;
        if (folders[i].capability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE)
            folders[i].capability = platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY;
    }
    const auto nested = FindNestedFolders(paths, platform::PathSeparator(platform.Style()));
    for (std::size_t i = 0; i < folders.size(); ++i) folders[i].nested = nested[i];
    return folders;
}

}  // namespace trovel::catalogue
