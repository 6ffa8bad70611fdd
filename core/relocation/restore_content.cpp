#include "core/relocation/restore_content.h"

#include <exception>

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
    const std::uint32_t flags =
        RedirectFlags(choice.deleteSource) | (choice.checkOnly ? std::uint32_t{platform::KF_REDIRECT_CHECK_ONLY} : 0u);
    platform::HResult hr = platform::kFail;
    try {
        hr = manager.Redirect(choice.id, flags, defaultPath, choice.exclusions, result.errorText);
    } catch (const std::exception& error) {
        result.raised = true;
        if (result.errorText.empty()) result.errorText = error.what();
    } catch (...) {
        result.raised = true;
    }
    result.call = hr;
    result.cancelled = hr == platform::kCancelled;
    result.busy = hr == platform::kBusy;
    result.outcome = !platform::Succeeded(hr) ? FolderOutcome::Failed
                     : choice.checkOnly       ? FolderOutcome::Checked
                                              : FolderOutcome::RelocatedWithContent;
    return result;
}

}  // namespace trovel::relocation
