// After a crash: a run that had not registered its target is undone, one that had is
// finished. Either way only entries whose twin is known to be safe are ever removed.
#include <algorithm>
#include <set>

#include "mover/content_mover.h"
#include "mover/move_plan.h"
#include "mover/same_content.h"

namespace trovel::relocation {
namespace {

using platform::FileInfo;
using platform::FileKind;

// Removes what the killed run made at the target: entries that match their source twin
// (so nothing is lost), its temporary files, and the folders it made once they are empty.
void Undo(platform::FileOps& ops, const Journal& journal, const std::vector<PlanEntry>& entries) {
    const std::set<std::string> there(journal.preexisting.begin(), journal.preexisting.end());
    std::set<std::string> folders{""};
    for (const PlanEntry& entry : entries)
        if (entry.info.kind == FileKind::Directory) folders.insert(entry.relative);
    for (const std::string& folder : folders) {
        std::vector<std::string> names;
        if (ops.List(JoinPath(journal.target, folder), names) != 0) continue;
        for (const std::string& name : names)
            if (name.starts_with(".trovel-")) ops.Remove(JoinPath(JoinPath(journal.target, folder), name), FileKind::Regular);
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (there.contains(it->relative)) continue;
        const std::string target = JoinPath(journal.target, it->relative);
        FileInfo found;
        if (ops.Stat(target, found) != 0 || found.kind == FileKind::Missing) continue;
        if (it->info.kind == FileKind::Directory) {
            if (found.kind == FileKind::Directory) ops.Remove(target, FileKind::Directory);  // only when empty
            continue;
        }
        if (SameContent(ops, JoinPath(journal.source, it->relative), it->info, target, found))
            ops.Remove(target, FileKind::Regular);
    }
    for (auto it = journal.createdAncestors.rbegin(); it != journal.createdAncestors.rend(); ++it)
        ops.Remove(*it, FileKind::Directory);
}

// Deletes, children first, the source entries whose twin at the registered target is identical.
void Finish(platform::FileOps& ops, const Journal& journal, const std::vector<PlanEntry>& entries) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->keep) continue;
        const std::string source = JoinPath(journal.source, it->relative);
        if (it->info.kind == FileKind::Directory) {
            ops.Remove(source, FileKind::Directory);
            continue;
        }
        FileInfo twin;
        const std::string target = JoinPath(journal.target, it->relative);
        if (ops.Stat(target, twin) == 0 && SameContent(ops, source, it->info, target, twin))
            ops.Remove(source, FileKind::Regular);
    }
}

}  // namespace

MoveResult RecoverInterruptedMove(platform::FileOps& ops, const std::string& journalPath,
                                  const std::function<bool(const std::string& target)>& registered) {
    std::string text;
    if (ops.ReadRecord(journalPath, text) != 0) return OutcomeOf(MoveOutcome::Same, {});
    Journal journal;
    if (!ParseJournal(text, journal))
        return OutcomeOf(MoveOutcome::Refused, "A megszakadt áthelyezés naplója olvashatatlan: " + journalPath);
    FileInfo sourceInfo;
    if (ops.Stat(journal.source, sourceInfo) != 0 || sourceInfo.kind != FileKind::Directory)
        return OutcomeOf(MoveOutcome::Refused, "A megszakadt áthelyezés forrása nem olvasható: " + journal.source);
    const SourceScan scan = ScanSource(ops, journal.source, sourceInfo, journal.exclusions);

    const bool done = journal.phase == "deleting" || (journal.phase == "registering" && registered(journal.target));
    if (!done) {
        Undo(ops, journal, scan.entries);
        ops.Remove(journalPath, FileKind::Regular);
        return OutcomeOf(MoveOutcome::Failed, "Egy megszakadt áthelyezés visszavonva; semmi sem változott: " + journal.source);
    }
    if (journal.deleteSource) Finish(ops, journal, scan.entries);
    ops.Remove(journalPath, FileKind::Regular);
    return OutcomeOf(MoveOutcome::Moved, {});
}

}  // namespace trovel::relocation
