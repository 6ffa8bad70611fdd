// What the relocation run and the restore do with one folder, on plain data, and what the
// result means for its row. The wizard and the command line share these rules.
#include "core/relocation/folder_rules.h"

#include <cmath>
#include <cstdio>
#include <exception>

#include "core/basics/path_slicing.h"
#include "core/space/size_text.h"
#include "platform/messages.h"

namespace trovel::relocation {
namespace {

using platform::Succeeded;

std::string SizeText(std::uint64_t bytes, const std::string& separator) {
    const space::SizeText text = space::SizeToStr(static_cast<long double>(bytes), separator);
    return text.number + text.unit;
}

std::string DurationText(double seconds) {
    const long whole = std::lround(seconds);
    if (whole < 60) return platform::Fill(platform::Tr("%1 s"), {std::to_string(whole)});
    if (whole < 3600) return platform::Fill(platform::Tr("%1 min"), {std::to_string((whole + 30) / 60)});
    return platform::Fill(platform::Tr("%1 h %2 min"), {std::to_string(whole / 3600), std::to_string(whole % 3600 / 60)});
}

// Whether the folder is registered at `path` already (as spelled, in the style's case rules).
bool IsAt(platform::KnownFolderManager& manager, const platform::KnownFolderId& id, const std::string& path,
          platform::PathStyle style) {
    std::unique_ptr<platform::KnownFolder> folder;
    std::string current;
    if (!Succeeded(manager.GetFolder(id, folder)) || !folder ||
        !Succeeded(folder->GetPath(platform::kCurrentPathFlags, current)) || current.empty())
        return false;
    return platform::IsSamePath(style, current, path);
}

bool IsDirectory(platform::Platform& platform, const std::string& path) {
    const std::uint32_t attributes = platform.FileAttributes(path);
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttributeDirectory) != 0;
}

}  // namespace

std::uint32_t RedirectFlags(bool deleteSource) {
    return deleteSource ? platform::kRedirectMoveFlags : platform::kRedirectCopyFlags;
}

std::string DestinationOf(platform::KnownFolderManager& manager, const platform::KnownFolderId& id,
                          const std::string& driveRoot, platform::PathStyle style) {
    std::unique_ptr<platform::KnownFolder> folder;
    if (!Succeeded(manager.GetFolder(id, folder)) || !folder) return {};
    const bool home = driveRoot == kDefaultPlace;
    std::string defaultPath;
    if (!Succeeded(folder->GetPath(home ? platform::kCreateDefaultPathFlags : platform::kDefaultPathFlags, defaultPath)))
        return {};
    if (home) return defaultPath;
    return DestinationOnDrive(driveRoot, defaultPath, style);
}

void RedirectWithContent(platform::KnownFolderManager& manager, const FolderChoice& choice,
                         const std::string& destination, FolderResult& result) {
    const std::uint32_t flags =
        RedirectFlags(choice.deleteSource) | (choice.checkOnly ? std::uint32_t{platform::KF_REDIRECT_CHECK_ONLY} : 0u);
    platform::HResult hr = platform::kFail;
    try {
        hr = manager.Redirect(choice.id, flags, destination, choice.exclusions, result.errorText);
    } catch (const std::exception& error) {
        result.raised = true;
        if (result.errorText.empty()) result.errorText = error.what();
    } catch (...) {
        result.raised = true;
    }
    result.call = hr;
    result.cancelled = hr == platform::kCancelled;
    result.busy = hr == platform::kBusy;
    result.outcome = !Succeeded(hr) ? FolderOutcome::Failed
                     : choice.checkOnly ? FolderOutcome::Checked
                                        : FolderOutcome::RelocatedWithContent;
}

FolderResult RelocateFolder(platform::Platform& platform, platform::KnownFolderManager& manager,
                            const FolderChoice& choice, const std::string& driveRoot) {
    FolderResult result;
    if (!choice.copy && !choice.move) return result;  // nothing chosen: nothing done
    const std::string destination = DestinationOf(manager, choice.id, driveRoot, platform.Style());
    // A folder whose place cannot be had is never pointed anywhere.
    if (destination.empty()) {
        result.outcome = FolderOutcome::Failed;
        return result;
    }
    result.destination = destination;
    if (IsAt(manager, choice.id, destination, platform.Style())) {
        result.outcome = FolderOutcome::AlreadyThere;
        return result;
    }
    const std::uint32_t checkFlag = choice.checkOnly ? std::uint32_t{platform::KF_REDIRECT_CHECK_ONLY} : 0u;
    if (choice.copy) {
        RedirectWithContent(manager, choice, destination, result);
    } else {
        // Without content only the registered path moves, and only to a folder that is there.
        if (!IsDirectory(platform, destination)) return result;
        if (choice.checkOnly) {
            result.call = manager.Redirect(choice.id, checkFlag, destination, choice.exclusions, result.errorText);
            result.busy = result.call == platform::kBusy;
            result.outcome = Succeeded(result.call) ? FolderOutcome::Checked : FolderOutcome::Failed;
            return result;
        }
        std::unique_ptr<platform::KnownFolder> folder;
        result.call = manager.GetFolder(choice.id, folder);
        if (Succeeded(result.call) && !folder) result.call = platform::kFail;
        if (Succeeded(result.call)) result.call = folder->SetPath(platform::KF_FLAG_DONT_UNEXPAND, destination);
        result.outcome = Succeeded(result.call) ? FolderOutcome::Redirected : FolderOutcome::Failed;
    }
    return result;
}

FolderResult RestoreFolder(platform::KnownFolderManager& manager, const platform::KnownFolderId& id,
                           platform::PathStyle style) {
    FolderResult result;
    result.outcome = FolderOutcome::Failed;
    const std::string defaultPath = DestinationOf(manager, id, kDefaultPlace, style);
    if (defaultPath.empty()) return result;
    result.destination = defaultPath;
    std::unique_ptr<platform::KnownFolder> folder;
    result.call = manager.GetFolder(id, folder);
    if (Succeeded(result.call) && !folder) result.call = platform::kFail;
    if (Succeeded(result.call)) result.call = folder->SetPath(0, defaultPath);
    if (Succeeded(result.call)) result.outcome = FolderOutcome::Redirected;
    return result;
}

std::string ErrorBoxText(const std::string& folderName, const std::string& systemText, const std::string& errorText) {
    return "Please inform me for this message while processing \"" + folderName + "\"\r\n" + systemText + "\r\n" +
           errorText;
}

std::string TransferText(std::uint64_t bytesDone, std::uint64_t bytesTotal, double seconds,
                         const std::string& decimalSeparator) {
    std::string text = SizeText(bytesDone, decimalSeparator) + " / " + SizeText(bytesTotal, decimalSeparator);
    // A rate needs a moment of measuring first.
    if (seconds < 1 || bytesDone == 0) return text;
    const double rate = static_cast<double>(bytesDone) / seconds;
    text += ", " + SizeText(static_cast<std::uint64_t>(rate), decimalSeparator) + "/s";
    // Less than a second left says no time at all, rather than "0".
    if (bytesTotal > bytesDone && static_cast<double>(bytesTotal - bytesDone) / rate >= 0.5) {
        const std::string left = DurationText(static_cast<double>(bytesTotal - bytesDone) / rate);
        text += platform::Fill(platform::Tr(", about %1 left"), {left});
    }
    return text;
}

}  // namespace trovel::relocation
