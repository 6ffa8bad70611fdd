// After a crash: a run that had not registered its target is undone, one that had is
// finished. A journal steers nothing until it is shown to be this user's own record of a
// run of this folder; and only entries whose twin is known to be safe are ever removed.
#include <algorithm>
#include <cerrno>
#include <functional>
#include <set>
#include <unordered_map>

#include "mover/content_mover.h"
#include "mover/folder_chain.h"
#include "mover/folder_rename.h"
#include "mover/move_plan.h"
#include "mover/same_content.h"
#include "platform/messages.h"
#include "platform/path_style.h"

namespace trovel::relocation {
namespace {

using platform::Fill;
using platform::FileInfo;
using platform::Tr;
using platform::FileKind;
using platform::HeldFolder;
using platform::PathStyle;

bool Names(const std::vector<std::string>& paths, const std::string& path) {
    const std::string clean = platform::WithoutTrailingSeparators(PathStyle::Posix, path);
    return std::any_of(paths.begin(), paths.end(), [&](const std::string& known) {
        return !known.empty() && platform::WithoutTrailingSeparators(PathStyle::Posix, known) == clean;
    });
}

// Folders at the target of a killed run, opened by place: the run's own record of them is
// gone, so each is taken as the folder (never a link) that stands there when first reached.
class TargetFolders {
public:
    TargetFolders(platform::FileOps& ops, HeldFolder root)
        : ops_(ops), chain_(ops, root, [this](const std::string& place) -> const FileInfo* {
              const auto found = seen_.find(place);
              return found == seen_.end() ? nullptr : &found->second;
          }) {}

    int Open(const std::string& place, HeldFolder& folder) {
        if (!place.empty() && !seen_.contains(place)) {
            const auto [parentPlace, name] = SplitPlace(place);
            HeldFolder parent;
            if (const int error = Open(parentPlace, parent); error != 0) return error;
            FileInfo info;
            if (const int error = ops_.Stat(parent, name, info); error != 0) return error;
            if (info.kind != FileKind::Directory) return ENOENT;
            seen_.emplace(place, info);
        }
        return chain_.Open(place, folder);
    }
    void Reset() { chain_.Reset(); }

private:
    platform::FileOps& ops_;
    std::unordered_map<std::string, FileInfo> seen_;
    FolderChain chain_;
};

struct Recovery {
    platform::FileOps& ops;
    const Journal& journal;
    const SourceScan& scan;
    HeldFolder sourceRoot;
    HeldFolder targetRoot;  // not valid when the run never made its target

    FolderChain::Identity SourceIdentity() const {
        return [this](const std::string& place) -> const FileInfo* {
            const auto found = scan.folders.find(place);
            return found == scan.folders.end() ? nullptr : &scan.entries[found->second].info;
        };
    }

    // The run's own temporary files, by the names it gave them; nothing else by its name.
    void RemoveTemporaryFiles() {
        if (!targetRoot.valid() || journal.runId == 0) return;
        TargetFolders target(ops, targetRoot);
        for (const PlanEntry& entry : scan.entries) {
            if (entry.info.kind != FileKind::Regular) continue;
            const auto [place, name] = SplitPlace(entry.relative);
            HeldFolder folder;
            FileInfo found;
            const std::string temporary = ops.TemporaryName(journal.runId, entry.info);
            if (target.Open(place, folder) == 0 && ops.Stat(folder, temporary, found) == 0 &&
                found.kind == FileKind::Regular)
                ops.Remove(folder, temporary, FileKind::Regular);
        }
    }

    // Removes what the killed run made at the target: entries that match their source twin
    // (so nothing is lost), and the folders it made once they are empty.
    void Undo() {
        if (targetRoot.valid()) {
            const std::set<std::string> there(journal.preexisting.begin(), journal.preexisting.end());
            TargetFolders target(ops, targetRoot);
            FolderChain source(ops, sourceRoot, SourceIdentity());
            for (auto it = scan.entries.rbegin(); it != scan.entries.rend(); ++it) {
                if (there.contains(it->relative)) continue;
                const auto [place, name] = SplitPlace(it->relative);
                HeldFolder to, from;
                FileInfo found;
                if (target.Open(place, to) != 0 || ops.Stat(to, name, found) != 0 || found.kind == FileKind::Missing)
                    continue;
                if (it->info.kind == FileKind::Directory) {
                    if (found.kind == FileKind::Directory) {
                        target.Reset();  // not holding it open
                        if (target.Open(place, to) == 0) ops.Remove(to, name, FileKind::Directory);  // only when empty
                    }
                    continue;
                }
                if (source.Open(place, from) == 0 && SameContent(ops, from, name, it->info, to, name, found))
                    ops.Remove(to, name, FileKind::Regular);
            }
        }
        RemoveMadeAncestors();
    }

    void RemoveMadeAncestors() {
        for (auto it = journal.createdAncestors.rbegin(); it != journal.createdAncestors.rend(); ++it) {
            const auto slash = it->rfind('/');
            HeldGuard parent(ops);
            FileInfo info;
            if (slash == std::string::npos ||
                ops.OpenPath(slash == 0 ? "/" : it->substr(0, slash), *parent.out(), info) != 0)
                continue;
            ops.Remove(parent.get(), it->substr(slash + 1), FileKind::Directory);  // only when empty
        }
    }

    // Deletes, children first, the source entries whose twin at the registered target is identical.
    void Finish() {
        TargetFolders target(ops, targetRoot);
        FolderChain source(ops, sourceRoot, SourceIdentity());
        for (auto it = scan.entries.rbegin(); it != scan.entries.rend(); ++it) {
            if (it->keep) continue;
            const auto [place, name] = SplitPlace(it->relative);
            HeldFolder from, to;
            if (source.Open(place, from) != 0) continue;
            if (it->info.kind == FileKind::Directory) {
                ops.Remove(from, name, FileKind::Directory);  // only when empty
                continue;
            }
            FileInfo twin;
            if (target.Open(place, to) == 0 && ops.Stat(to, name, twin) == 0 &&
                SameContent(ops, from, name, it->info, to, name, twin))
                ops.Remove(from, name, FileKind::Regular);
        }
    }
};

}  // namespace

MoveResult RecoverInterruptedMove(platform::FileOps& ops, const std::string& journalPath,
                                  const RecoveryContext& context) {
    std::string text;
    const int read = ops.ReadRecord(journalPath, text);
    if (read == ENOENT) return OutcomeOf(MoveOutcome::Same);
    // A record that cannot be trusted is moved out of the way, never acted on, and named.
    const auto setAside = [&](const std::string& why) {
        const std::string aside = journalPath + ".set-aside-" + std::to_string(ops.RunId());
        const int error = ops.SetRecordAside(journalPath, aside);
        return OutcomeOf(MoveOutcome::Refused,
                         why + " " +
                             (error == 0 ? Tr("I set the journal aside and touched nothing: ") + aside
                                         : Fill(Tr("Cannot set the journal aside (%1): %2"),
                                                {ops.ErrorText(error), journalPath})));
    };
    if (read == EPERM)
        return setAside(Tr("The interrupted relocation's journal is not a file of the user's own that only they can write."));
    if (read != 0)
        return OutcomeOf(MoveOutcome::Refused,
                         Fill(Tr("Cannot read the interrupted relocation's journal (%1): %2"),
                              {ops.ErrorText(read), journalPath}));
    Journal journal;
    if (!ParseJournal(text, journal)) return setAside(Tr("The interrupted relocation's journal is illegible."));

    const bool sourceRegistered = Names(context.registeredPaths, journal.source);
    const bool targetRegistered = Names(context.registeredPaths, journal.target);
    // Finishing a run deletes from its source: that must be a place this folder had, whatever
    // the journal says of the target.
    // A restore puts the content back at the folder's default path, in the home: that path is
    // its only target, and where it takes the content from lies on an offered drive.
    const bool restoring = Names(context.defaultPaths, journal.target);
    const bool sourceOnDrive = restoring && context.onOfferedDrive && context.onOfferedDrive(journal.source);
    if (!sourceRegistered && !Names(context.knownSources, journal.source) && !sourceOnDrive)
        return setAside(Tr("The interrupted relocation's journal names a folder that is not this folder's place: ") +
                        journal.source);
    const bool targetOnDrive = platform::IsSameOrAbove(PathStyle::Posix, journal.driveRoot, journal.target) &&
                               journal.target != journal.driveRoot &&
                               (restoring || !context.onOfferedDrive || context.onOfferedDrive(journal.target));
    const bool ancestorsBetween = std::all_of(
        journal.createdAncestors.begin(), journal.createdAncestors.end(), [&](const std::string& path) {
            return path != journal.driveRoot && platform::IsSameOrAbove(PathStyle::Posix, journal.driveRoot, path) &&
                   platform::IsSameOrAbove(PathStyle::Posix, path, journal.target);
        });
    if (!targetOnDrive || !ancestorsBetween || platform::IsSameOrAbove(PathStyle::Posix, journal.source, journal.target) ||
        platform::IsSameOrAbove(PathStyle::Posix, journal.target, journal.source))
        return setAside(Tr("The interrupted relocation's journal names a destination that is not on an offered drive: ") +
                        journal.target);

    if (journal.phase == "renaming") {
        MoveResult renamed = RecoverRename(ops, journalPath, journal, sourceRegistered, targetRegistered);
        return renamed.outcome == MoveOutcome::Refused ? setAside(renamed.errorText) : renamed;
    }
    HeldGuard sourceRoot(ops), targetRoot(ops);
    FileInfo sourceInfo, targetInfo;
    if (ops.OpenPath(journal.source, *sourceRoot.out(), sourceInfo) != 0)
        return OutcomeOf(MoveOutcome::Refused, Tr("Cannot read the interrupted relocation's source: ") + journal.source);
    ops.OpenPath(journal.target, *targetRoot.out(), targetInfo);  // not there when the run never made it
    const SourceScan scan = ScanSource(ops, sourceRoot.get(), journal.source, sourceInfo, journal.exclusions);
    Recovery recovery{ops, journal, scan, sourceRoot.get(), targetRoot.get()};

    if (targetRegistered && (journal.phase == "registering" || journal.phase == "deleting")) {
        // The folder is relocated: what is left at the old place goes where it is copied whole.
        if (journal.deleteSource && !sourceRegistered && targetRoot.get().valid()) recovery.Finish();
        recovery.RemoveTemporaryFiles();
        ops.RemoveRecord(journalPath);
        return OutcomeOf(MoveOutcome::Moved);
    }
    if (sourceRegistered && journal.phase != "deleting") {
        recovery.RemoveTemporaryFiles();
        recovery.Undo();
        ops.RemoveRecord(journalPath);
        return OutcomeOf(MoveOutcome::Failed, Tr("An interrupted relocation was undone; nothing changed: ") + journal.source);
    }
    // The folder was restored or moved since the crash: nothing is deleted from where it is
    // registered now, and nothing else is guessed at.
    recovery.RemoveTemporaryFiles();
    return setAside(Fill(Tr("The folder's place changed since the interrupted relocation; files may have been left at "
                       "both the old and the new place: %1, %2."),
                    {journal.source, journal.target}));
}

}  // namespace trovel::relocation
