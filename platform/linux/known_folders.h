#pragma once

#include <functional>
#include <memory>
#include <string>

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
};

}  // namespace trovel::platform::linux_desktop
