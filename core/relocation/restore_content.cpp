#include "core/relocation/restore_content.h"

namespace trovel::relocation {

FolderResult RestoreFolderWithContent(platform::KnownFolderManager& manager, const FolderChoice& choice,
                                      platform::PathStyle style) {
    FolderResult result;
    result.outcome = FolderOutcome::Failed;
    std::unique_ptr<platform::KnownFolder> folder;
    std::string defaultPath, current;
    // The default path as it is, not created: the run makes it, and a dry run makes nothing.
    if (!platform::Succeeded(manager.GetFolder(choice.id, folder)) || !folder ||
        !platform::Succeeded(folder->GetPath(platform::kDefaultPathFlags, defaultPath)) || defaultPath.empty())
        return result;
    result.destination = defaultPath;
    if (platform::Succeeded(folder->GetPath(platform::kCurrentPathFlags | platform::KF_FLAG_DONT_VERIFY, current)) &&
        !current.empty() && platform::IsSamePath(style, current, defaultPath)) {
        result.outcome = FolderOutcome::AlreadyThere;
        return result;
    }
    RedirectWithContent(manager, choice, defaultPath, result);
    return result;
}

}  // namespace trovel::relocation
