// A move within one filesystem: the folder is renamed whole, journaled like a copy, and
// renamed back on any failure before it is registered.
#include "mover/folder_rename.h"

#include <cerrno>

#include "mover/folder_chain.h"
#include "platform/messages.h"
#include "platform/path_style.h"

namespace trovel::relocation {
namespace {

using platform::Fill;
using platform::FileInfo;
using platform::Tr;
using platform::FileKind;
using platform::HeldFolder;

std::pair<std::string, std::string> ParentAndName(const std::string& path) {
    const auto slash = path.rfind('/');
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Holds the folders of a path's parent and of the target's parent for the length of a run.
struct Places {
    explicit Places(platform::FileOps& ops) : sourceParent(ops), targetParent(ops) {}
    HeldGuard sourceParent;
    HeldGuard targetParent;
    std::string sourceName, targetName;
};

int OpenParents(platform::FileOps& ops, const std::string& source, const std::string& target, Places& places) {
    FileInfo info;
    const auto [sourceAbove, sourceName] = ParentAndName(source);
    const auto [targetAbove, targetName] = ParentAndName(target);
    places.sourceName = sourceName;
    places.targetName = targetName;
    if (const int error = ops.OpenPath(sourceAbove, *places.sourceParent.out(), info); error != 0) return error;
    return ops.OpenPath(targetAbove, *places.targetParent.out(), info);
}

// The target as it was before the run: the empty folder made again where one was replaced.
void RemakeReplaced(platform::FileOps& ops, HeldFolder parent, const std::string& name, std::uint32_t mode) {
    if (ops.MakeDirectory(parent, name) != 0) return;
    FileInfo like;
    like.kind = FileKind::Directory;
    like.mode = mode;
    ops.CopyMetadata({}, {}, parent, name, like);
}

}  // namespace

bool CanRenameWhole(platform::FileOps& ops, const MoveRequest& request, const MovePlan& plan, HeldFolder at) {
    if (!request.deleteSource || plan.steps.empty() || plan.existingSteps + 1 < plan.steps.size()) return false;
    if (plan.sourceInfo.device != plan.driveInfo.device) return false;
    for (const std::string& excluded : request.exclusions)
        if (platform::IsSameOrAbove(platform::PathStyle::Posix, plan.source, excluded)) return false;
    if (plan.existingSteps == plan.steps.size()) {
        std::vector<std::string> names;
        if (ops.List(at, names) != 0 || !names.empty()) return false;  // content there: merged by copying
    }
    return true;
}

MoveResult RenameWholeFolder(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks,
                             const MovePlan& plan, HeldFolder driveRoot) {
    (void)driveRoot;
    Places places(ops);
    if (const int error = OpenParents(ops, plan.source, plan.target, places); error != 0)
        return OutcomeOf(MoveOutcome::Refused, Fill(Tr("Cannot open the folder's place (%1): %2"), {ops.ErrorText(error), plan.source}));
    // Both are still what was planned: the source folder, and the target's folder above on the drive.
    FileInfo sourceNow, targetAbove, targetNow;
    if (ops.Stat(places.sourceParent.get(), places.sourceName, sourceNow) != 0 || !sourceNow.SameObjectAs(plan.sourceInfo))
        return OutcomeOf(MoveOutcome::Refused, Tr("The folder was replaced meanwhile: ") + plan.source);
    if (ops.StatHeld(places.targetParent.get(), targetAbove) != 0 ||
        (plan.steps.size() >= 2 ? !targetAbove.SameObjectAs(plan.stepInfo[plan.steps.size() - 2])
                                 : !targetAbove.SameObjectAs(plan.driveInfo)))
        return OutcomeOf(MoveOutcome::Refused, Tr("The destination's path changed meanwhile: ") + plan.target);
    const bool replacing = plan.existingSteps == plan.steps.size();
    if (ops.Stat(places.targetParent.get(), places.targetName, targetNow) != 0 ||
        (replacing ? !targetNow.SameObjectAs(plan.stepInfo.back()) : targetNow.kind != FileKind::Missing))
        return OutcomeOf(MoveOutcome::Refused, Tr("The destination changed meanwhile: ") + plan.target);

    Journal journal;
    journal.phase = "renaming";
    journal.source = plan.source;
    journal.target = plan.target;
    journal.driveRoot = plan.driveRoot;
    journal.runId = ops.RunId();
    journal.deleteSource = true;
    journal.folderDevice = plan.sourceInfo.device;
    journal.folderInode = plan.sourceInfo.inode;
    journal.replacedEmpty = replacing;
    journal.replacedMode = replacing ? (targetNow.mode & 07777) : 0;
    if (const int error = ops.WriteRecord(request.journal, FormatJournal(journal)); error != 0)
        return OutcomeOf(MoveOutcome::Refused, Fill(Tr("Cannot write the journal (%1): %2"), {ops.ErrorText(error), request.journal}));
    if (const int error = ops.RenameFolder(places.sourceParent.get(), places.sourceName, places.targetParent.get(),
                                           places.targetName, replacing);
        error != 0) {
        ops.RemoveRecord(request.journal);
        return OutcomeOf(MoveOutcome::Refused, Fill(Tr("Cannot rename the folder (%1): %2"), {ops.ErrorText(error), plan.source}));
    }
    const auto undo = [&](std::string text) {
        // Back under its old name, never over anything; the empty folder it replaced made again.
        if (ops.RenameFolder(places.targetParent.get(), places.targetName, places.sourceParent.get(), places.sourceName,
                             false) == 0) {
            if (replacing) RemakeReplaced(ops, places.targetParent.get(), places.targetName, journal.replacedMode);
            ops.RemoveRecord(request.journal);
        } else {
            text += std::string(" ") + Tr("The program renames the folder back at its next start.");
        }
        return OutcomeOf(MoveOutcome::Failed, std::move(text));
    };
    FileInfo moved;
    if (ops.Stat(places.targetParent.get(), places.targetName, moved) != 0 || !moved.SameObjectAs(plan.sourceInfo))
        return undo(Tr("Replaced at the destination meanwhile: ") + plan.target);
    if (callbacks.progress) callbacks.progress(plan.bytesTotal, plan.bytesTotal, plan.filesTotal, plan.filesTotal);
    if (callbacks.phaseDone) callbacks.phaseDone("copy");
    if (callbacks.cancelled && callbacks.cancelled()) return undo(Tr("The relocation was stopped; nothing changed."));
    // What is registered must be what was renamed, reached by the target's path.
    {
        HeldGuard there(ops);
        FileInfo reached;
        if (ops.OpenPath(plan.target, *there.out(), reached) != 0 || !reached.SameObjectAs(plan.sourceInfo))
            return undo(Tr("The destination's path changed meanwhile: ") + plan.target);
    }
    if (!callbacks.registerTarget || !callbacks.registerTarget())
        return undo(Tr("Cannot register the new place: ") + plan.target);
    if (callbacks.phaseDone) callbacks.phaseDone("register");
    ops.RemoveRecord(request.journal);
    MoveResult result = OutcomeOf(MoveOutcome::Moved);
    result.files = plan.filesTotal;
    result.bytes = plan.bytesTotal;
    return result;
}

MoveResult RecoverRename(platform::FileOps& ops, const std::string& journalPath, const Journal& journal,
                         bool sourceRegistered, bool targetRegistered) {
    if (targetRegistered) {
        ops.RemoveRecord(journalPath);  // renamed and registered: done
        return OutcomeOf(MoveOutcome::Moved);
    }
    if (!sourceRegistered || journal.folderInode == 0)
        return OutcomeOf(MoveOutcome::Refused, Tr("The interrupted rename's places are no longer the folder's places: ") + journal.source);
    Places places(ops);
    if (OpenParents(ops, journal.source, journal.target, places) != 0)
        return OutcomeOf(MoveOutcome::Refused, Tr("Cannot open the interrupted rename's places: ") + journal.source);
    FileInfo atSource, atTarget;
    ops.Stat(places.sourceParent.get(), places.sourceName, atSource);
    ops.Stat(places.targetParent.get(), places.targetName, atTarget);
    const auto isFolder = [&](const FileInfo& info) {
        return info.kind == FileKind::Directory && info.device == journal.folderDevice && info.inode == journal.folderInode;
    };
    if (isFolder(atSource)) {  // never renamed
        ops.RemoveRecord(journalPath);
        return OutcomeOf(MoveOutcome::Failed, Tr("An interrupted relocation was undone; nothing changed: ") + journal.source);
    }
    if (atSource.kind == FileKind::Missing && isFolder(atTarget) &&
        ops.RenameFolder(places.targetParent.get(), places.targetName, places.sourceParent.get(), places.sourceName,
                         false) == 0) {
        if (journal.replacedEmpty) RemakeReplaced(ops, places.targetParent.get(), places.targetName, journal.replacedMode);
        ops.RemoveRecord(journalPath);
        return OutcomeOf(MoveOutcome::Failed, Tr("An interrupted relocation was undone; nothing changed: ") + journal.source);
    }
    return OutcomeOf(MoveOutcome::Refused, Tr("The interrupted rename's folder is at neither place: ") + journal.source);
}

}  // namespace trovel::relocation
