#include "platform/linux/known_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/as_user.h"
#include "platform/linux/drive_folder.h"
#include "platform/linux/mounts.h"
#include "platform/linux/posix_file_ops.h"
#include "platform/linux/read_depth.h"
#include "platform/linux/run_lock.h"
#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"
#include "platform/messages.h"
#include "platform/path_style.h"
#include "mover/content_mover.h"

namespace trovel::platform::linux_desktop {
namespace {

using platform::Fill;
using platform::Tr;

bool SameDirectory(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// Holds an exclusive advisory lock on the registry's folder while this program rewrites
// the registry, so two of its writers never interleave. Released when it goes.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_;
};

// kOk when `lock` is held; otherwise why not, with the text a run of the folder reports.
std::string BusyText(const std::string& folder) { return Tr("This folder is already being relocated: ") + folder; }

HResult LockResult(const RunLock& lock, const std::string& folder, std::string& errorText) {
    if (lock.status() == RunLock::Status::Busy) {
        errorText = BusyText(folder);
        return kBusy;
    }
    if (!lock.Held()) {
        errorText = Fill(Tr("Cannot create the lock file (%1): %2"), {std::strerror(lock.error()), lock.path()});
        return kAccessDenied;
    }
    return kOk;
}

// What a refusal of the mover, or a check that passed, tells the caller.
HResult RefusalResult(const relocation::MoveResult& result) {
    if (result.outcome != relocation::MoveOutcome::Refused) return kOk;
    switch (result.refusal) {
        case relocation::MoveRefusal::Conflict: return kAlreadyExists;
        case relocation::MoveRefusal::NoRoom: return kDiskFull;
        case relocation::MoveRefusal::Interrupted: return kInterruptedRun;
        case relocation::MoveRefusal::Other: break;
    }
    return kAccessDenied;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// How often a registry that changed under the writer is read again and the change re-applied.
constexpr int kRewriteTries = 5;

class XdgKnownFolder : public KnownFolder {
public:
    XdgKnownFolder(XdgKnownFolderManager& manager, const FolderEntry& entry) : manager_(manager), entry_(entry) {}

    HResult GetFolderDefinition(KnownFolderDefinition& definition) override {
        definition = {};
        definition.category = entry_.category;
        definition.name = entry_.name;
        definition.tooltip = "@" + std::string(kStringModule) + ",-" + std::to_string(entry_.descriptionId);
        definition.icon = entry_.iconName;
        definition.folderType = entry_.folderType;
        if (entry_.source == PathSource::UserDir) definition.relativePath = entry_.where;
        return kOk;
    }
    HResult GetCategory(std::uint32_t& category) override {
        category = entry_.category;
        return kOk;
    }
    HResult GetRedirectionCapabilities(std::uint32_t& capabilities) override {
        capabilities = manager_.Capability(entry_);
        return kOk;
    }
    HResult GetFolderType(Guid& folderType) override {
        folderType = entry_.folderType;
        return kOk;
    }
    HResult GetPath(std::uint32_t flags, std::string& path) override {
        path.clear();
        if (flags & KF_FLAG_DEFAULT_PATH) {
            std::string wanted = manager_.DefaultPath(entry_);
            if (wanted.empty()) return kFileNotFound;
            if ((flags & KF_FLAG_CREATE) &&
                !Succeeded(manager_.AsHomeOwner([&] { return MakeFolders(wanted, 0755) ? kOk : kAccessDenied; })))
                return kAccessDenied;
            path = wanted;
            return kOk;
        }
        std::string current = manager_.CurrentPath(entry_);
        // Without KF_FLAG_DONT_VERIFY the folder must exist.
        if (!(flags & KF_FLAG_DONT_VERIFY) && !IsDirectory(current)) return kFileNotFound;
        if (current.empty()) return kFileNotFound;
        path = current;
        return kOk;
    }
    HResult SetPath(std::uint32_t flags, const std::string& path) override {
        return manager_.AsHomeOwner([&] {
            const std::string before = manager_.CurrentPath(entry_);
            const HResult result = manager_.Register(entry_, flags, path);
            manager_.RecordPathChange(entry_, before, path, result);
            return result;
        });
    }

private:
    XdgKnownFolderManager& manager_;
    const FolderEntry& entry_;
};

}  // namespace

XdgKnownFolderManager::XdgKnownFolderManager(Environment env, ElementTranslator translate)
    : env_(std::move(env)), translate_(std::move(translate)) {}

HResult XdgKnownFolderManager::GetFolderIds(std::vector<KnownFolderId>& ids) {
    ids.clear();
    for (const FolderEntry& entry : FolderTable()) ids.push_back(entry.id);
    return kOk;
}

HResult XdgKnownFolderManager::GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) {
    folder.reset();
    const auto& table = FolderTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == id; });
    if (it == table.end()) return kFileNotFound;
    folder = std::make_unique<XdgKnownFolder>(*this, *it);
    return kOk;
}

HResult XdgKnownFolderManager::Redirect(const KnownFolderId& id, std::uint32_t flags, const std::string& target,
                                        const std::vector<KnownFolderId>& exclusions, std::string& errorText) {
    errorText.clear();
    const bool checkOnly = (flags & KF_REDIRECT_CHECK_ONLY) != 0;
    const std::uint32_t content = flags & ~std::uint32_t{KF_REDIRECT_CHECK_ONLY};
    if (content != kRedirectCopyFlags && content != kRedirectMoveFlags && !(checkOnly && content == 0)) {
        errorText = Tr("Unknown relocation request.");
        return kInvalidArg;
    }
    const auto& table = FolderTable();
    const auto entry = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == id; });
    if (entry == table.end()) return kFileNotFound;
    const std::optional<UserIdentity> user = UserToActFor(env_.home);
    if (checkOnly) {
        // Without content only the registry would change: whether it can hold the path.
        const auto check = [&](const RedirectHooks& hooks, std::string& text) {
            if (content != 0) return RedirectHere(*entry, flags, target, exclusions, hooks, false, text);
            text = RegistrationProblem(*entry, target, true);
            return text.empty() ? kOk : kAccessDenied;
        };
        if (!user) return check(hooks_, errorText);
        const AsUserOutcome outcome = RunAsUser(*user, hooks_, [&](const RedirectHooks& hooks) {
            AsUserOutcome here;
            here.result = check(hooks, here.errorText);
            return here;
        });
        errorText = outcome.errorText;
        return outcome.result;
    }
    if (!user) {
        const std::string before = CurrentPath(*entry);
        const HResult result = RedirectAndRecord(*entry, flags, target, exclusions, hooks_, false, {}, errorText);
        if (result == kOk && IsDefaultPlace(*entry, target) && (flags & KF_REDIRECT_DEL_SOURCE_CONTENTS))
            RemoveEmptyOldPlace(*entry, before);
        return result;
    }
    const bool restoring = IsDefaultPlace(*entry, target);
    const std::string before = CurrentPath(*entry);

    // Root for someone else's home (sudo keeps HOME): with root's rights only the user's folder
    // on the drive is made, where the user may not make it; everything else, in the home and
    // on the drive, happens in a child that is the user.
    MadeFolders made;
    // A restore goes back into the home, where the user makes what is missing.
    if (const std::string onDrive = NormalisedAbsolutePath(target); !onDrive.empty() && !restoring) {
        made = MakeUserFolderOnDrive(onDrive, user->uid, user->gid, 0700);
        if (!made.ok) {
            RemoveEmptyFolders(made.created);
            errorText = made.errorText;
            return kAccessDenied;
        }
    }
    const bool madeTarget = !made.created.empty();
    const AsUserOutcome outcome = RunAsUser(*user, hooks_, [&](const RedirectHooks& hooks) {
        AsUserOutcome here;
        here.result =
            RedirectAndRecord(*entry, flags, target, exclusions, hooks, madeTarget, made.created, here.errorText);
        return here;
    });
    if (!Succeeded(outcome.result)) RemoveEmptyFolders(made.created);
    // The folders made above the old place may be root's own: removed here, with root's rights.
    if (Succeeded(outcome.result) && restoring && (flags & KF_REDIRECT_DEL_SOURCE_CONTENTS))
        RemoveEmptyOldPlace(*entry, before);
    errorText = outcome.errorText;
    return outcome.result;
}

HResult XdgKnownFolderManager::AsHomeOwner(const std::function<HResult()>& work) {
    const std::optional<UserIdentity> user = UserToActFor(env_.home);
    if (!user) return work();
    return RunAsUser(*user, {}, [&](const RedirectHooks&) { return AsUserOutcome{work(), {}}; }).result;
}

HResult XdgKnownFolderManager::RedirectHere(const FolderEntry& entry, std::uint32_t flags, const std::string& target,
                                            const std::vector<KnownFolderId>& exclusions, const RedirectHooks& hooks,
                                            bool madeTarget, std::string& errorText) {
    const auto& table = FolderTable();
    if (Capability(entry) != KF_REDIRECTION_CAPABILITIES_REDIRECTABLE) {
        errorText = Tr("This folder cannot be relocated: ") + CurrentPath(entry);
        return kAccessDenied;
    }
    // One run per folder, from before the recovery to the end: the window and the command
    // line, or two terminals, never move the same folder at once.
    const bool checkOnly = (flags & KF_REDIRECT_CHECK_ONLY) != 0;
    std::optional<RunLock> lock;
    if (checkOnly && RunLockBusy(RunLockFolder(env_.stateHome), entry.where)) {
        errorText = BusyText(CurrentPath(entry));
        return kBusy;
    }
    if (!checkOnly) lock.emplace(RunLockFolder(env_.stateHome), entry.where);
    if (lock) {
        if (const HResult locked = LockResult(*lock, CurrentPath(entry), errorText); locked != kOk) return locked;
    }
    const std::string journal = JournalOf(entry);
    linux_desktop::PosixFileOps ops;
    // A run killed earlier is undone, or finished, before anything else happens to the folder
    // (a check leaves it be, and the journal it finds is its answer).
    const relocation::MoveResult recovered = checkOnly ? relocation::OutcomeOf(relocation::MoveOutcome::Same)
                                                       : RecoverKilledRun(entry);
    if (recovered.outcome == relocation::MoveOutcome::Refused) {
        errorText = recovered.errorText;
        return kInterruptedRun;
    }

    // A restore takes the content back from where it is now, into the home.
    const bool restoring = IsDefaultPlace(entry, target);
    if (restoring) {
        if (std::string why = UnreachablePlaceText(entry); !why.empty()) {
            errorText = std::move(why);
            return kPathNotFound;
        }
    }
    relocation::MoveRequest request;
    request.source = ResolvedPath(CurrentPath(entry));
    // Taken as spelled: the mover walks it from the drive root and refuses a link on the way,
    // so that what is registered is where the content went, on the drive that was chosen.
    request.target = NormalisedAbsolutePath(target);
    if (request.source.empty() || request.target.empty()) {
        errorText = Tr("Cannot read the folder or the destination: ") + CurrentPath(entry) + ", " + target;
        return kPathNotFound;
    }
    request.deleteSource = (flags & KF_REDIRECT_DEL_SOURCE_CONTENTS) != 0;
    const std::string restoredPath = request.target;  // as spelled: what a restore registers
    if (restoring) {
        // Walked from the home as it really is: nothing is made outside it, and a link below it
        // refuses the run. Registered as the default path is spelled.
        const std::string home = NormalisedAbsolutePath(env_.home);
        request.driveRoot = ResolvedPath(home);
        if (request.driveRoot.empty() || !IsSameOrAbove(PathStyle::Posix, home, request.target) || request.target == home) {
            errorText = Tr("Cannot read the home folder: ") + env_.home;
            return kAccessDenied;
        }
        request.target = request.driveRoot + request.target.substr(home.size());
    } else if (!hooks_.driveRoot.empty()) {
        request.driveRoot = ResolvedPath(hooks_.driveRoot);
        request.drive = {hooks_.driveDevice, hooks_.driveMountId};
        // Not the whole tree in its place: the chosen drive is unreachable (for the user, say).
        if (request.driveRoot.empty()) {
            errorText = Tr("Cannot read the drive: ") + hooks_.driveRoot;
            return kAccessDenied;
        }
    } else if (drives_.mountPointOf) {
        request.driveRoot = drives_.mountPointOf(request.target);
    } else if (const auto mountInfo = ReadWholeFile(env_.procRoot + "/self/mountinfo")) {
        request.driveRoot = MountPointOf(ParseMountInfo(*mountInfo), request.target);
    }
    if (request.driveRoot.empty()) request.driveRoot = "/";
    // As many workers as both disks take: the plan and the copy read the source, the copy
    // writes the target, and a spinning disk at either end would seek between them.
    request.workers = std::min(ReadDepthOfPath(env_.sysRoot, request.source).depth,
                               ReadDepthOfPath(env_.sysRoot, request.driveRoot).depth);
    request.keptFolders = KeptFolders();
    request.journal = journal;
    request.renameOnSameFilesystem = restoring;
    for (const KnownFolderId& nested : exclusions) {
        const auto found = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == nested; });
        if (found == table.end()) continue;
        // As resolved, and as spelled: a nested folder that is a link inside this one is left
        // where it is too, not copied and deleted as a link.
        const std::string nestedPath = CurrentPath(*found);
        for (const std::string& path : {ResolvedPath(nestedPath), NormalisedAbsolutePath(nestedPath)})
            if (!path.empty()) request.exclusions.push_back(path);
    }
    struct stat sourceInfo {};
    const bool sourceKnown = ::stat(request.source.c_str(), &sourceInfo) == 0;
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] { return Register(entry, 0, restoring ? restoredPath : request.target) == kOk; };
    callbacks.registrationProblem = [&] { return RegistrationProblem(entry, request.target, false); };
    callbacks.progress = hooks.progress;
    callbacks.cancelled = hooks.cancelled;
    // The mover tells when a stage ends; the caller is told what begins.
    if (hooks.phase)
        callbacks.phaseDone = [&hooks, deleteSource = request.deleteSource](const char* done) {
            const std::string ended = done;
            if (ended == "plan") hooks.phase("copy");
            else if (ended == "copy") hooks.phase("verify");
            else if (ended == "register" && deleteSource) hooks.phase("delete");
        };
    if (checkOnly) {
        const relocation::MoveResult checked = relocation::CheckFolderMove(ops, request, callbacks);
        errorText = checked.errorText;
        return RefusalResult(checked);
    }
    const relocation::MoveResult moved = relocation::MoveFolderContent(ops, request, callbacks);
    errorText = moved.errorText;
    LastRun& run = lastRun_.emplace();
    run.source = request.source;
    run.target = restoring ? restoredPath : request.target;
    run.driveRoot = request.driveRoot;
    run.deleteSource = request.deleteSource;
    run.moved = moved.outcome == relocation::MoveOutcome::Moved;
    run.files = moved.files;
    run.bytes = moved.bytes;
    run.kept = moved.keptSources;
    run.made = moved.madeFolders;
    // The folder made for the run is the user's own now: it takes the source's mode, as a
    // folder the mover makes would.
    if (moved.outcome == relocation::MoveOutcome::Moved && madeTarget && sourceKnown)
        ::chmod(request.target.c_str(), sourceInfo.st_mode & 07777);
    switch (moved.outcome) {
        case relocation::MoveOutcome::Moved:
        case relocation::MoveOutcome::Checked:
        case relocation::MoveOutcome::Same: return kOk;
        case relocation::MoveOutcome::Refused: return RefusalResult(moved);
        case relocation::MoveOutcome::Cancelled: return kCancelled;
        case relocation::MoveOutcome::Failed: return kFail;
    }
    return kFail;
}

std::string XdgKnownFolderManager::JournalOf(const FolderEntry& entry) const {
    return RunLockFolder(env_.stateHome) + "/move-" + entry.where + ".journal";
}

relocation::MoveResult XdgKnownFolderManager::RecoverKilledRun(const FolderEntry& entry) {
    linux_desktop::PosixFileOps ops;
    relocation::RecoveryContext context;
    const std::string registered = CurrentPath(entry);
    context.registeredPaths = {registered, NormalisedAbsolutePath(registered), ResolvedPath(registered)};
    const std::string defaultPath = DefaultPath(entry);
    context.knownSources = {defaultPath, NormalisedAbsolutePath(defaultPath), ResolvedPath(defaultPath)};
    context.onOfferedDrive = drives_.offered;
    context.defaultPaths = context.knownSources;
    // As a restore walks it: from the home as it really is, whether the folder is there yet or not.
    const std::string home = NormalisedAbsolutePath(env_.home), resolvedHome = ResolvedPath(home);
    const std::string spelledDefault = NormalisedAbsolutePath(defaultPath);
    if (!resolvedHome.empty() && IsSameOrAbove(PathStyle::Posix, home, spelledDefault) && spelledDefault != home)
        context.defaultPaths.push_back(resolvedHome + spelledDefault.substr(home.size()));
    return relocation::RecoverInterruptedMove(ops, JournalOf(entry), context);
}

std::vector<KnownFolderId> XdgKnownFolderManager::InterruptedRedirects() {
    std::vector<KnownFolderId> interrupted;
    for (const FolderEntry& entry : FolderTable())
        if (entry.source == PathSource::UserDir && Exists(JournalOf(entry))) interrupted.push_back(entry.id);
    return interrupted;
}

HResult XdgKnownFolderManager::RecoverRedirect(const KnownFolderId& id, RecoveryOutcome& outcome, std::string& report) {
    outcome = RecoveryOutcome::Nothing;
    report.clear();
    const auto& table = FolderTable();
    const auto entry = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == id; });
    if (entry == table.end()) return kFileNotFound;
    const std::optional<UserIdentity> user = UserToActFor(env_.home);
    if (!user) return RecoverHere(*entry, outcome, report);
    // Root for someone else's home: the recovery runs in a child that is the user, as a run
    // does; the outcome comes back as the first character of the text.
    const AsUserOutcome done = RunAsUser(*user, {}, [&](const RedirectHooks&) {
        AsUserOutcome here;
        RecoveryOutcome found = RecoveryOutcome::Failed;
        here.result = RecoverHere(*entry, found, here.errorText);
        here.errorText.insert(here.errorText.begin(), static_cast<char>('0' + static_cast<int>(found)));
        return here;
    });
    const int code = done.errorText.empty() ? -1 : done.errorText[0] - '0';
    if (code < static_cast<int>(RecoveryOutcome::Nothing) || code > static_cast<int>(RecoveryOutcome::Failed)) {
        outcome = RecoveryOutcome::Failed;
        report = done.errorText.empty() ? Tr("Settling the interrupted relocation on the user's behalf failed.") : done.errorText;
        return Succeeded(done.result) ? kFail : done.result;
    }
    outcome = static_cast<RecoveryOutcome>(code);
    report = done.errorText.substr(1);
    return done.result;
}

HResult XdgKnownFolderManager::RecoverHere(const FolderEntry& entry, RecoveryOutcome& outcome, std::string& report) {
    const std::string folder = CurrentPath(entry);
    const RunLock lock(RunLockFolder(env_.stateHome), entry.where);
    if (const HResult locked = LockResult(lock, folder, report); locked != kOk) {
        outcome = locked == kBusy ? RecoveryOutcome::Busy : RecoveryOutcome::Failed;
        return locked;
    }
    const std::string journal = JournalOf(entry);
    const bool hadJournal = Exists(journal);
    const relocation::MoveResult recovered = RecoverKilledRun(entry);
    switch (recovered.outcome) {
        case relocation::MoveOutcome::Same:
            outcome = RecoveryOutcome::Nothing;
            report = Tr("No interrupted relocation, nothing to do: ") + folder;
            return kOk;
        case relocation::MoveOutcome::Failed:  // rolled back: nothing changed
        case relocation::MoveOutcome::Cancelled:
            outcome = RecoveryOutcome::Undone;
            report = Tr("The interrupted relocation was undone; the folder stayed at its old place: ") + CurrentPath(entry);
            return kOk;
        case relocation::MoveOutcome::Moved:
        case relocation::MoveOutcome::Checked:
            outcome = RecoveryOutcome::Finished;
            report = Tr("The interrupted relocation was finished; the folder is at its new place: ") + CurrentPath(entry);
            return kOk;
        case relocation::MoveOutcome::Refused:
            // Set aside when the journal is gone from its place; otherwise it could not be read.
            outcome = hadJournal && !Exists(journal) ? RecoveryOutcome::SetAside : RecoveryOutcome::Failed;
            report = recovered.errorText;
            return kFail;
    }
    outcome = RecoveryOutcome::Failed;
    report = recovered.errorText;
    return kFail;
}

std::string XdgKnownFolderManager::DefaultPath(const FolderEntry& entry) const {
    if (entry.source != PathSource::UserDir) return CurrentPath(entry);
    const auto defaults = ReadUserDirsDefaults(env_);
    const auto it = defaults.find(entry.where);
    const std::string relative = it == defaults.end() ? std::string() : it->second;
    // A translator handed in (by a test) stands in for the user's locale.
    if (translate_ && !relative.empty()) return env_.home + "/" + TranslateRelativePath(relative, translate_);
    return DefaultUserDirPath(env_.home, relative, env_.messageLocale);
}

std::string XdgKnownFolderManager::CurrentPath(const FolderEntry& entry) const {
    switch (entry.source) {
        case PathSource::UserDir: {
            const FileRead registry = ReadRegularFile(UserDirsFile());
            // A registry that is there but cannot be read is not an empty one.
            if (registry.status == ReadStatus::Unreadable || registry.status == ReadStatus::NotRegular) return {};
            if (registry.status == ReadStatus::Read) {
                const auto dirs = ParseUserDirs(registry.text, env_.home);
                if (const auto it = dirs.find(entry.where); it != dirs.end()) return it->second;
            }
            // A key the file does not set gets its default at the next login.
            return DefaultPath(entry);
        }
        case PathSource::Home: return env_.home;
        case PathSource::ConfigHome: return env_.configHome;
        case PathSource::DataHome: return env_.dataHome;
        case PathSource::CacheHome: return env_.cacheHome;
        case PathSource::UnderData: return env_.dataHome + "/" + entry.where;
        case PathSource::UnderConfig: return env_.configHome + "/" + entry.where;
        case PathSource::Absolute: return entry.where;
        case PathSource::None: return {};
    }
    return {};
}

std::vector<std::string> XdgKnownFolderManager::KeptFolders() const {
    return {env_.home, env_.configHome, env_.dataHome, env_.cacheHome, env_.stateHome};
}

std::uint32_t XdgKnownFolderManager::Capability(const FolderEntry& entry) const {
    if (entry.capability != KF_REDIRECTION_CAPABILITIES_REDIRECTABLE) return entry.capability;
    const std::string current = CurrentPath(entry);
    if (current.empty()) return KF_REDIRECTION_CAPABILITIES_DENY_PERMISSIONS;
    // A folder the user switched off ("$HOME/") or one reset to the home folder at login:
    // moving it would move the home folder. Compared as spelled and as resolved, so that
    // neither "$HOME/.." nor a link to the home folder passes.
    std::vector<std::string> kept = KeptFolders();
    for (std::size_t i = 0, n = kept.size(); i < n; ++i) kept.push_back(ResolvedPath(kept[i]));
    for (const std::string& spelling : {NormalisedAbsolutePath(current), ResolvedPath(current)})
        if (!spelling.empty() && HoldsKeptFolder(PathStyle::Posix, spelling, kept))
            return KF_REDIRECTION_CAPABILITIES_DENY_POLICY;
    return entry.capability;
}

std::string XdgKnownFolderManager::RegistrationProblem(const FolderEntry& entry, const std::string& path,
                                                       bool mustExist) {
    if (entry.source != PathSource::UserDir || entry.capability != KF_REDIRECTION_CAPABILITIES_REDIRECTABLE)
        return Tr("This folder cannot be relocated: ") + CurrentPath(entry);
    if (!IsWritableUserDirPath(path))
        return Tr("user-dirs.dirs cannot record this path exactly (it is not UTF-8, or holds \" \\ $ `): ") + path;
    if (mustExist && !IsDirectory(NormalisedAbsolutePath(path))) return Tr("The destination folder does not exist: ") + path;
    const FileRead registry = ReadRegularFile(UserDirsFile());
    if (registry.status != ReadStatus::Read && registry.status != ReadStatus::Missing)
        return Tr("Cannot read the folders' registry: ") + UserDirsFile();
    return {};
}

HResult XdgKnownFolderManager::Register(const FolderEntry& entry, std::uint32_t flags, const std::string& path) {
    if (entry.source != PathSource::UserDir || entry.capability != KF_REDIRECTION_CAPABILITIES_REDIRECTABLE)
        return kAccessDenied;
    if (!IsWritableUserDirPath(path)) return kInvalidArg;
    const std::string wanted = NormalisedAbsolutePath(path);
    // ".." after a link leads elsewhere than its spelling: take only what names the same folder.
    if (wanted != path && !SameDirectory(wanted, path)) return kInvalidArg;
    // xdg-user-dirs resets a key whose folder is missing to the home folder at the next login.
    if (!IsDirectory(wanted)) return kPathNotFound;
    const std::string value = UserDirValue(wanted, env_.home, (flags & KF_FLAG_DONT_UNEXPAND) != 0);

    if (!MakeFolders(env_.configHome, 0700)) return kAccessDenied;
    const FolderLock lock(env_.configHome);
    if (!lock.Held()) return kAccessDenied;
    // A registry kept behind a link (a dotfiles checkout, say) is rewritten where it lives.
    std::string file = UserDirsFile();
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(file.c_str(), resolved) == nullptr) return kAccessDenied;
        file = resolved;
    }
    // The login's xdg-user-dirs-update takes no lock: when the file changed between reading
    // and renaming, read it again and apply the change to what is there now.
    for (int attempt = 0; attempt < kRewriteTries; ++attempt) {
        const FileRead registry = ReadRegularFile(file);
        // Never replace a registry that could not be read whole: its keys would be lost.
        if (registry.status != ReadStatus::Read && registry.status != ReadStatus::Missing) return kAccessDenied;
        const std::string content = RewriteUserDirs(registry.text, entry.where, value);
        switch (ReplaceFileAtomically(file, content, registry.stamp)) {
            case ReplaceResult::Replaced: return kOk;
            case ReplaceResult::Failed: return kAccessDenied;
            case ReplaceResult::Changed: break;
        }
    }
    return kAccessDenied;
}

}  // namespace trovel::platform::linux_desktop
