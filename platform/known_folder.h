#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "platform/hresult.h"
#include "platform/messages.h"
#include "platform/relocation_record.h"

namespace trovel::platform {

using KnownFolderId = Guid;

// KF_CATEGORY
enum : std::uint32_t {
    KF_CATEGORY_VIRTUAL = 1,
    KF_CATEGORY_FIXED = 2,
    KF_CATEGORY_COMMON = 3,
    KF_CATEGORY_PERUSER = 4,
};

// KF_REDIRECTION_CAPABILITIES: only the exact value 1 allows relocation.
enum : std::uint32_t {
    KF_REDIRECTION_CAPABILITIES_REDIRECTABLE = 0x1,
    KF_REDIRECTION_CAPABILITIES_DENY_POLICY_REDIRECTED = 0x100,
    KF_REDIRECTION_CAPABILITIES_DENY_POLICY = 0x200,
    KF_REDIRECTION_CAPABILITIES_DENY_PERMISSIONS = 0x400,
};

// KNOWN_FOLDER_FLAG values for GetPath and SetPath.
enum : std::uint32_t {
    KF_FLAG_NOT_PARENT_RELATIVE = 0x200,
    KF_FLAG_DEFAULT_PATH = 0x400,
    KF_FLAG_DONT_UNEXPAND = 0x2000,
    KF_FLAG_DONT_VERIFY = 0x4000,
    KF_FLAG_CREATE = 0x8000,
};

// The two path queries the program makes.
inline constexpr std::uint32_t kCurrentPathFlags = 0;
inline constexpr std::uint32_t kDefaultPathFlags =
    KF_FLAG_DONT_VERIFY | KF_FLAG_DEFAULT_PATH | KF_FLAG_NOT_PARENT_RELATIVE;  // 0x4600
inline constexpr std::uint32_t kCreateDefaultPathFlags = kDefaultPathFlags | KF_FLAG_CREATE;  // 0xC600

// KF_REDIRECT_FLAGS for Redirect.
enum : std::uint32_t {
    KF_REDIRECT_COPY_SOURCE_DACL = 0x2,
    KF_REDIRECT_CHECK_ONLY = 0x10,  // every check of the redirect, and nothing done
    KF_REDIRECT_COPY_CONTENTS = 0x200,
    KF_REDIRECT_DEL_SOURCE_CONTENTS = 0x400,
};
inline constexpr std::uint32_t kRedirectCopyFlags =
    KF_REDIRECT_COPY_SOURCE_DACL | KF_REDIRECT_COPY_CONTENTS;  // 0x202
inline constexpr std::uint32_t kRedirectMoveFlags =
    kRedirectCopyFlags | KF_REDIRECT_DEL_SOURCE_CONTENTS;  // 0x602

// KNOWNFOLDER_DEFINITION with its texts owned by the record.
struct KnownFolderDefinition {
    std::uint32_t category = 0;
    std::string name;  // canonical name, e.g. "Personal"
    std::string description;
    KnownFolderId parent;
    std::string relativePath;
    std::string parsingName;
    std::string tooltip;  // usually a resource reference "@module,-N"
    std::string localizedName;
    std::string icon;
    std::string security;
    std::uint32_t attributes = 0;
    std::uint32_t definitionFlags = 0;
    Guid folderType;
};

// One registered folder, as IKnownFolder offers it.
class KnownFolder {
public:
    virtual ~KnownFolder() = default;
    virtual HResult GetFolderDefinition(KnownFolderDefinition& definition) = 0;
    virtual HResult GetCategory(std::uint32_t& category) = 0;
    virtual HResult GetRedirectionCapabilities(std::uint32_t& capabilities) = 0;
    virtual HResult GetFolderType(Guid& folderType) = 0;
    // A folder without a file-system path fails and leaves `path` empty.
    virtual HResult GetPath(std::uint32_t flags, std::string& path) = 0;
    virtual HResult SetPath(std::uint32_t flags, const std::string& path) = 0;
};

// What the caller of Redirect may follow and stop where the content is moved by this
// program (the shell's own Redirect shows its own progress). Called from the mover's threads.
struct RedirectHooks {
    std::function<void(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                       std::uint64_t filesTotal)> progress;
    std::function<bool()> cancelled;
    // Told as each stage of the content move begins: "copy", "verify", "delete" (the old
    // content, after the new place is registered; no longer stoppable then).
    std::function<void(const std::string& phase)> phase;
    // The drive the user chose, as it was when chosen (DriveIdentityOf): a run refuses a drive
    // root that is no longer that filesystem at that mount. An empty root: the drive that
    // holds the target, unchecked.
    std::string driveRoot;
    std::uint64_t driveDevice = 0;
    std::uint64_t driveMountId = 0;
};

// What the recovery of a killed relocation found and did.
enum class RecoveryOutcome {
    Nothing,   // no run of the folder was interrupted
    Undone,    // the run had not registered its target: rolled back, the folder is where it was
    Finished,  // the run had registered its target: what it left at the old place is gone now
    SetAside,  // its journal could not be trusted: renamed beside itself, nothing else touched
    Busy,      // another run holds the folder right now
    Failed,    // the journal or the folder could not be read: left as it is, for the next try
};

// The registry of known folders, as IKnownFolderManager offers it.
class KnownFolderManager {
public:
    virtual ~KnownFolderManager() = default;
    // Used by the Redirect calls that follow.
    virtual void SetRedirectHooks(RedirectHooks hooks) { (void)hooks; }
    virtual HResult GetFolderIds(std::vector<KnownFolderId>& ids) = 0;
    virtual HResult GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) = 0;
    // Moves the folder to `target`, leaving the folders in `exclusions` where they are.
    // `errorText` receives the shell's explanation when there is one.
    virtual HResult Redirect(const KnownFolderId& id, std::uint32_t flags, const std::string& target,
                             const std::vector<KnownFolderId>& exclusions,
                             std::string& errorText) = 0;

    // Where this program moves the content itself, a run that was killed leaves its journal;
    // Redirect undoes or finishes such a run before anything else. The folders that have one
    // now (only that a journal is there: it is neither read nor trusted here).
    virtual std::vector<KnownFolderId> InterruptedRedirects() { return {}; }
    // Undoes or finishes the interrupted run of one folder, under the folder's run lock, as
    // Redirect would first. `report`: one line, in the catalogue's language, of what happened. kOk when the
    // folder is in order now (Nothing, Undone, Finished); kBusy when another run holds it.
    virtual HResult RecoverRedirect(const KnownFolderId& id, RecoveryOutcome& outcome, std::string& report) {
        (void)id;
        outcome = RecoveryOutcome::Nothing;
        report = Tr("No interrupted relocation.");
        return kOk;
    }
    // The record of every move and restore of this user's folders, oldest first: only lines
    // that are well-formed, from a file that is the user's own. Empty where none is kept.
    virtual std::vector<RelocationRecord> RelocationHistory() { return {}; }
    HResult RecoverRedirect(const KnownFolderId& id, std::string& report) {
        RecoveryOutcome outcome = RecoveryOutcome::Nothing;
        return RecoverRedirect(id, outcome, report);
    }
};

}  // namespace trovel::platform
