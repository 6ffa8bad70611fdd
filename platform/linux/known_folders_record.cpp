// The registry's side of a restore with content and of the record of relocations: what a
// run writes in the record, where a restore may take content from, and the old folder it
// leaves behind.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "mover/folder_chain.h"
#include "platform/linux/as_user.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/mounts.h"
#include "platform/linux/posix_file_ops.h"
#include "platform/linux/relocation_history.h"
#include "platform/messages.h"
#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"
#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {
namespace {

std::string Clean(const std::string& path) { return WithoutTrailingSeparators(PathStyle::Posix, NormalisedAbsolutePath(path)); }

// What a run's result says in the record: its outcome and a stable code.
std::pair<const char*, const char*> OutcomeOf(HResult result) {
    switch (result) {
        case kOk: return {"done", "ok"};
        case kBusy: return {"refused", "locked"};
        case kAlreadyExists: return {"refused", "conflict"};
        case kDiskFull: return {"refused", "no-room"};
        case kInterruptedRun: return {"refused", "interrupted"};
        case kPathNotFound: return {"refused", "unreachable"};
        case kAccessDenied: return {"refused", "refused"};
        case kCancelled: return {"cancelled", "cancelled"};
        default: return {"failed", "failed"};
    }
}

// The newest move of `key` that was done and left the folder at `place`.
const RelocationRecord* MoveThere(const std::vector<RelocationRecord>& records, const std::string& key,
                                  const std::string& place) {
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (it->key == key && it->Done() && it->operation == "move" && Clean(it->to) == place) return &*it;
    return nullptr;
}

}  // namespace

bool XdgKnownFolderManager::IsDefaultPlace(const FolderEntry& entry, const std::string& path) const {
    if (entry.source != PathSource::UserDir) return false;
    const std::string wanted = Clean(DefaultPath(entry));
    return !wanted.empty() && wanted == Clean(path);
}

std::string XdgKnownFolderManager::MountPointFor(const std::string& path) const {
    std::string point;
    if (drives_.mountPointOf) point = drives_.mountPointOf(path);
    else if (const auto mountInfo = ReadWholeFile(env_.procRoot + "/self/mountinfo"))
        point = MountPointOf(ParseMountInfo(*mountInfo), path);
    const std::string clean = WithoutTrailingSeparators(PathStyle::Posix, point);
    return clean.empty() && !point.empty() ? "/" : clean;
}

std::vector<RelocationRecord> XdgKnownFolderManager::RelocationHistory() { return History(); }

std::vector<RelocationRecord> XdgKnownFolderManager::History() const {
    // The record is the home owner's, also when root runs for them.
    const std::optional<UserIdentity> user = UserToActFor(env_.home);
    return ReadHistory(env_.stateHome, user ? user->uid : ::geteuid());
}

std::string XdgKnownFolderManager::UnreachablePlaceText(const FolderEntry& entry) const {
    const std::string current = CurrentPath(entry);
    const std::string place = Clean(current);
    const std::vector<RelocationRecord> records = History();
    const RelocationRecord* moved = MoveThere(records, entry.where, place);
    const std::string drive = moved == nullptr ? std::string() : WithoutTrailingSeparators(PathStyle::Posix, moved->drive);
    const std::string resolved = ResolvedPath(current);
    // The drive it went to is not mounted where it was: the path may lead nowhere, or into the
    // empty folder the drive is mounted on.
    const bool driveGone = !drive.empty() && drive != "/" && (resolved.empty() || MountPointFor(resolved) != drive);
    if (driveGone)
        return Fill(Tr("The folder's content is on the drive %1, which is not mounted now; mount it and try again: %2"),
                    {drive, current});
    if (resolved.empty() || !IsDirectory(resolved))
        return Tr("The folder's present place cannot be reached (perhaps its drive is not mounted): ") + current;
    return {};
}

HResult XdgKnownFolderManager::RedirectAndRecord(const FolderEntry& entry, std::uint32_t flags, const std::string& target,
                                                 const std::vector<KnownFolderId>& exclusions,
                                                 const RedirectHooks& hooks, bool madeTarget,
                                                 const std::vector<std::string>& madeAbove, std::string& errorText) {
    const std::string before = CurrentPath(entry);
    const bool restoring = IsDefaultPlace(entry, target);
    std::string drive;
    if (restoring) {
        // Where the content comes back from: the drive its move went to, as the record says.
        const auto records = RelocationHistory();
        if (const RelocationRecord* moved = MoveThere(records, entry.where, Clean(before))) drive = moved->drive;
        else if (const std::string resolved = ResolvedPath(before); !resolved.empty()) drive = MountPointFor(resolved);
    }
    lastRun_.reset();
    const HResult result = RedirectHere(entry, flags, target, exclusions, hooks, madeTarget, errorText);

    RelocationRecord record;
    record.time = UtcTimestamp(static_cast<std::int64_t>(std::time(nullptr)));
    record.key = entry.where;
    record.name = entry.name;
    record.operation = restoring ? "restore" : "move";
    record.content = true;
    record.from = lastRun_ ? lastRun_->source : Clean(before);
    record.to = lastRun_ ? Clean(lastRun_->target) : Clean(target);
    if (record.from.empty()) record.from = before.empty() ? "/" : before;
    if (record.to.empty()) record.to = "/";
    const auto [outcome, code] = OutcomeOf(result);
    record.outcome = outcome;
    record.code = code;
    if (lastRun_ && lastRun_->moved) {
        record.files = lastRun_->files;
        record.bytes = lastRun_->bytes;
        record.left = lastRun_->deleteSource ? lastRun_->kept : std::vector<std::string>{record.from};
    } else {
        record.left = {record.from};  // nothing moved: everything is where it was
    }
    record.drive = restoring ? drive : (lastRun_ ? lastRun_->driveRoot : MountPointFor(record.to));
    if (!restoring) {
        record.made = madeAbove;
        if (lastRun_) record.made.insert(record.made.end(), lastRun_->made.begin(), lastRun_->made.end());
    }
    AppendHistory(env_.stateHome, record);  // a record that cannot be written does not undo the run
    return result;
}

void XdgKnownFolderManager::RecordPathChange(const FolderEntry& entry, const std::string& before,
                                             const std::string& path, HResult result) {
    RelocationRecord record;
    record.time = UtcTimestamp(static_cast<std::int64_t>(std::time(nullptr)));
    record.key = entry.where;
    record.name = entry.name;
    const bool restoring = IsDefaultPlace(entry, path);
    record.operation = restoring ? "restore" : "move";
    record.from = Clean(before).empty() ? "/" : Clean(before);
    record.to = Clean(path).empty() ? "/" : Clean(path);
    const auto [outcome, code] = OutcomeOf(result);
    record.outcome = outcome;
    record.code = code;
    // Only the registered path changed: whatever the old folder holds stays there.
    if (record.from != record.to && IsDirectory(record.from)) record.left = {record.from};
    if (restoring) {
        const auto records = RelocationHistory();
        if (const RelocationRecord* moved = MoveThere(records, entry.where, record.from)) record.drive = moved->drive;
    } else {
        record.drive = MountPointFor(record.to);
    }
    AppendHistory(env_.stateHome, record);
}

void XdgKnownFolderManager::RemoveEmptyOldPlace(const FolderEntry& entry, const std::string& oldPlace) {
    const std::string place = Clean(oldPlace);
    // The folder was at its default already (nothing moved): that folder is the registered one.
    if (place.empty() || place == "/" || place == Clean(DefaultPath(entry))) return;
    std::vector<std::string> folders{place};
    const auto records = RelocationHistory();
    if (const RelocationRecord* moved = MoveThere(records, entry.where, place)) {
        const std::string drive = WithoutTrailingSeparators(PathStyle::Posix, moved->drive);
        // Only folders the move made between its drive's root and the old place; deepest first.
        for (auto it = moved->made.rbegin(); it != moved->made.rend(); ++it) {
            const std::string made = Clean(*it);
            if (!made.empty() && made != place && IsSameOrAbove(PathStyle::Posix, made, place) && !drive.empty() &&
                IsSameOrAbove(PathStyle::Posix, drive, made) && made != drive)
                folders.push_back(made);
        }
    }
    PosixFileOps ops;
    for (const std::string& folder : folders) {
        const auto slash = folder.rfind('/');
        if (slash == std::string::npos) return;
        relocation::HeldGuard parent(ops);
        FileInfo info;
        // Each parent opened without following a link; a folder goes only when it is empty.
        if (ops.OpenPath(slash == 0 ? "/" : folder.substr(0, slash), *parent.out(), info) != 0) return;
        FileInfo there;
        if (ops.Stat(parent.get(), folder.substr(slash + 1), there) != 0) return;
        if (there.kind == FileKind::Missing) continue;  // renamed away whole, or gone already
        if (there.kind != FileKind::Directory) return;
        if (ops.Remove(parent.get(), folder.substr(slash + 1), FileKind::Directory) != 0) return;
    }
}

}  // namespace trovel::platform::linux_desktop
