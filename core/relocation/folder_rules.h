#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace trovel::relocation {

// One folder of a relocation run, as the user chose it on the pages (plain data: the worker
// gets a copy made on the window's thread).
struct FolderChoice {
    platform::KnownFolderId id;
    std::string name;  // the row's display name, for the progress line and the error box
    bool move = false;
    bool copy = false;
    bool deleteSource = false;
    bool checkOnly = false;  // a dry run: every check the run makes before its first write, and no write
    std::vector<platform::KnownFolderId> exclusions;  // the nested known folders
};

enum class FolderOutcome {
    RelocatedWithContent,  // both status boxes ticked
    Redirected,            // the pointer only: "redirected" ticked, "copied" clear
    Failed,                // both clear
    Skipped,               // nothing was called: the boxes keep their state
    AlreadyThere,          // the folder is where it would go: nothing was done
    Checked,               // a dry run whose checks all passed: nothing was done
};

struct FolderResult {
    FolderOutcome outcome = FolderOutcome::Skipped;
    std::string destination;  // where the folder now is, on success; where it was to go, once worked out
    std::string errorText;    // what the redirect call handed back
    platform::HResult call = platform::kOk;  // what the redirect or set-path call returned (kBusy, kDiskFull, ...)
    bool cancelled = false;   // the user stopped the content copy
    bool busy = false;        // another run (another window, a terminal) is relocating this folder
    // The redirect call raised an error instead of returning a result: the error box is due.
    bool raised = false;
};

// The flags of a redirect with content: copy (0x202), or move (0x602) when the old content goes.
std::uint32_t RedirectFlags(bool deleteSource);

// The folder's place: its default path moved onto `driveRoot`, or for "win" its default path
// itself, created when missing. Empty when the folder or its default path cannot be had.
std::string DestinationOf(platform::KnownFolderManager& manager, const platform::KnownFolderId& id,
                          const std::string& driveRoot, platform::PathStyle style);

// One folder of the relocation run: with copy ticked the shell's Redirect (content, access
// rights, the old content deleted when delete is ticked); with move only, the registered
// path alone, and only when the destination folder exists. A folder whose destination cannot
// be had fails without a call.
// The content moved to `destination` through the platform's Redirect (or only checked, with
// `choice.checkOnly`); its outcome in `result`, an exception counting as a failure with its text.
void RedirectWithContent(platform::KnownFolderManager& manager, const FolderChoice& choice,
                         const std::string& destination, FolderResult& result);

FolderResult RelocateFolder(platform::Platform& platform, platform::KnownFolderManager& manager,
                            const FolderChoice& choice, const std::string& driveRoot);

// One folder of the restore: its default path (created when missing) registered again. A
// folder without a default path fails without a call.
FolderResult RestoreFolder(platform::KnownFolderManager& manager, const platform::KnownFolderId& id,
                           platform::PathStyle style);

// The error box's message for a redirect call that raised an error.
std::string ErrorBoxText(const std::string& folderName, const std::string& systemText, const std::string& errorText);

// The line under the progress line while content is copied: bytes done of the total, the
// rate and the time left ("1.2 GB / 4.0 GB, 85.3 MB/s, about 34 s left"), its words in the
// catalogue's language.
std::string TransferText(std::uint64_t bytesDone, std::uint64_t bytesTotal, double seconds,
                         const std::string& decimalSeparator);

}  // namespace trovel::relocation
