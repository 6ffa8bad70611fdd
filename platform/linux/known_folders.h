#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/known_folder.h"
#include "platform/linux/environment.h"
#include "platform/linux/folder_table.h"
#include "platform/linux/user_dirs_defaults.h"

namespace trovel::relocation {
struct MoveResult;
}

namespace trovel::platform::linux_desktop {

// The known-folder registry of a Linux desktop: the xdg-user-dirs folders, which may be
// relocated, and the fixed folders of the base-directory rules and the system.
class XdgKnownFolderManager : public KnownFolderManager {
public:
    XdgKnownFolderManager(Environment env, ElementTranslator translate);

    HResult GetFolderIds(std::vector<KnownFolderId>& ids) override;
    HResult GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) override;
    HResult Redirect(const KnownFolderId& id, std::uint32_t flags, const std::string& target,
                     const std::vector<KnownFolderId>& exclusions, std::string& errorText) override;
    void SetRedirectHooks(RedirectHooks hooks) override { hooks_ = std::move(hooks); }
    // The user-dirs folders with a journal (STATE_HOME/trovel/move-KEY.journal) of a killed run.
    std::vector<KnownFolderId> InterruptedRedirects() override;
    using KnownFolderManager::RecoverRedirect;
    HResult RecoverRedirect(const KnownFolderId& id, RecoveryOutcome& outcome, std::string& report) override;

    // What the run needs to know of the drives: the mount point holding a path, and whether a
    // path lies on a drive offered for relocation (a journal's target must).
    struct DriveRules {
        std::function<std::string(const std::string& path)> mountPointOf;
        std::function<bool(const std::string& path)> offered;
    };
    void SetDriveRules(DriveRules rules) { drives_ = std::move(rules); }

    // Paths of one entry; empty when it has none, or when the registry that holds it
    // exists but cannot be read.
    std::string CurrentPath(const FolderEntry& entry) const;
    std::string DefaultPath(const FolderEntry& entry) const;
    // KF_REDIRECTION_CAPABILITIES of one entry: only a user-dirs folder whose registry can be
    // read, and whose folder is not the home folder or one holding it or the base folders.
    std::uint32_t Capability(const FolderEntry& entry) const;
    // Registers `path` for a user-dirs entry.
    HResult Register(const FolderEntry& entry, std::uint32_t flags, const std::string& path);
    // Why `path` could not be registered for the folder now; empty when it could.
    std::string RegistrationProblem(const FolderEntry& entry, const std::string& path, bool mustExist);
    // The folders no relocatable folder may be or hold: home, config, data, cache, state.
    std::vector<std::string> KeptFolders() const;

    std::string UserDirsFile() const { return env_.configHome + "/user-dirs.dirs"; }

    // The record of relocations (STATE_HOME/trovel/history.jsonl): the lines that are well-formed,
    // from a file that is the home owner's own and writable by no one else.
    std::vector<RelocationRecord> RelocationHistory() override;
    // Appends the record of a registration alone (SetPath) of `path`, from `before`; as the
    // user, so only where the caller already acts as the home's owner.
    void RecordPathChange(const FolderEntry& entry, const std::string& before, const std::string& path, HResult result);
    // Whether `path` is the folder's default path: a relocation there is a restore.
    bool IsDefaultPlace(const FolderEntry& entry, const std::string& path) const;

    // Runs `work` in the name of the home's owner when the program is root for someone else's
    // home (see as_user.h), here otherwise: whatever it writes in the home is the user's.
    HResult AsHomeOwner(const std::function<HResult()>& work);

private:
    // One folder's relocation with the rights the process has now: the run lock, the recovery
    // of a killed run, the mover and the registration. `madeTarget`: the target was made empty
    // for this run, and takes the source's mode once the content is there.
    HResult RedirectHere(const FolderEntry& entry, std::uint32_t flags, const std::string& target,
                         const std::vector<KnownFolderId>& exclusions, const RedirectHooks& hooks, bool madeTarget,
                         std::string& errorText);

    // RedirectHere, then its line in the record of relocations, in the same process (the user's).
    HResult RedirectAndRecord(const FolderEntry& entry, std::uint32_t flags, const std::string& target,
                              const std::vector<KnownFolderId>& exclusions, const RedirectHooks& hooks,
                              bool madeTarget, const std::vector<std::string>& madeAbove, std::string& errorText);
    // Why the folder's present place cannot give its content back (its drive is not mounted, say);
    // empty when it can.
    std::string UnreachablePlaceText(const FolderEntry& entry) const;
    // The record of relocations of the home's owner, as read now.
    std::vector<RelocationRecord> History() const;
    // After a restore with delete: the old folder, when empty, and the empty folders above it
    // that the move there made (as its record says), deepest first, none of them followed.
    void RemoveEmptyOldPlace(const FolderEntry& entry, const std::string& oldPlace);
    // The mount point holding `path`, without its last separator.
    std::string MountPointFor(const std::string& path) const;

    // The journal a run of the folder keeps: STATE_HOME/trovel/move-KEY.journal.
    std::string JournalOf(const FolderEntry& entry) const;
    // Undoes or finishes a killed run of the folder from its journal, if there is one. Only
    // while the caller holds the folder's run lock.
    relocation::MoveResult RecoverKilledRun(const FolderEntry& entry);
    // RecoverRedirect with the rights the process has now: the run lock, then the recovery.
    HResult RecoverHere(const FolderEntry& entry, RecoveryOutcome& outcome, std::string& report);

    Environment env_;
    ElementTranslator translate_;
    RedirectHooks hooks_;
    DriveRules drives_;
    // What the last run of the mover did, for its record.
    struct LastRun {
        std::string source, target, driveRoot;
        bool deleteSource = false;
        std::uint64_t files = 0, bytes = 0;
        std::vector<std::string> kept, made;
        bool moved = false;
    };
    std::optional<LastRun> lastRun_;
};

}  // namespace trovel::platform::linux_desktop
