// The content mover: plan, journal, copy, verify, register, delete; and the rollback of
// everything this run created when any of it fails before the target is registered.
#include "mover/content_mover.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <thread>

#include "mover/move_plan.h"
#include "mover/same_content.h"

namespace trovel::relocation {
namespace {

using platform::FileInfo;
using platform::FileKind;

// How often a file that changed while it was copied is copied again before the run gives up.
constexpr int kCopyTries = 3;

bool Unchanged(const FileInfo& before, const FileInfo& now) {
    // Removing another name of a hard-linked file changes its ctime: compare that only for single names.
    const bool changeTimeCounts = before.links <= 1;
    return before.kind == now.kind && before.size == now.size && before.inode == now.inode &&
           before.modifiedNs == now.modifiedNs && (!changeTimeCounts || before.changedNs == now.changedNs) &&
           before.linkTarget == now.linkTarget;
}

class Mover {
public:
    Mover(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks, MovePlan& plan)
        : ops_(ops), request_(request), callbacks_(callbacks), plan_(plan) {}

    // Makes the folders above the target, the folders, then the files on several threads,
    // then the folders' own metadata, children first.
    bool Copy() {
        for (const std::string& ancestor : plan_.createdAncestors) {
            if (!Check(ops_.MakeDirectory(ancestor), "Nem hozható létre a mappa", ancestor)) return false;
            madeAncestors_.push_back(ancestor);
        }
        for (PlanEntry& entry : plan_.entries) {
            if (entry.info.kind != FileKind::Directory || entry.preexisting) continue;
            if (Stopped()) return false;
            if (!Check(ops_.MakeDirectory(Target(entry)), "Nem hozható létre a mappa", Target(entry))) return false;
            entry.created = true;
        }
        std::vector<std::size_t> firsts, links;
        for (std::size_t i = 0; i < plan_.entries.size(); ++i) {
            const PlanEntry& entry = plan_.entries[i];
            if (entry.info.kind == FileKind::Directory || entry.preexisting) continue;
            (entry.linkOf == kNoEntry ? firsts : links).push_back(i);
        }
        if (!OnWorkers(firsts) || !OnWorkers(links)) return false;
        for (auto it = plan_.entries.rbegin(); it != plan_.entries.rend(); ++it) {
            if (it->info.kind != FileKind::Directory || !it->created) continue;
            if (!Check(ops_.CopyMetadata(Source(*it), Target(*it), it->info), "Nem állíthatók be a mappa adatai",
                       Target(*it)))
                return false;
        }
        for (auto it = madeAncestors_.rbegin(); it != madeAncestors_.rend(); ++it) {
            FileInfo like = plan_.sourceInfo;
            if (*it != plan_.target) like.mode = 0755;  // the folders above it are open as usual
            if (!Check(ops_.CopyMetadata(plan_.source, *it, like), "Nem állíthatók be a mappa adatai", *it))
                return false;
        }
        return true;
    }

    // Everything on disk, then every entry as it was copied; files changed since are copied again.
    bool Verify() {
        if (!Check(ops_.Sync(plan_.target), "A cél nem írható lemezre", plan_.target)) return false;
        for (std::size_t i = 0; i < plan_.entries.size(); ++i) {
            PlanEntry& entry = plan_.entries[i];
            if (entry.preexisting) continue;
            if (!VerifyOne(entry)) return false;
            if (entry.info.kind != FileKind::Regular || entry.linkOf != kNoEntry) continue;
            for (int tries = 1;; ++tries) {
                FileInfo now;
                if (!Check(ops_.Stat(Source(entry), now), "Nem olvasható", Source(entry))) return false;
                if (Unchanged(entry.info, now)) break;
                // The user kept working on it: copy what is there now.
                if (tries == kCopyTries) return Fail("A fájl másolás közben folyamatosan változott: " + Source(entry));
                if (!Check(ops_.Remove(Target(entry), FileKind::Regular), "Nem törölhető", Target(entry))) return false;
                entry.created = false;
                entry.info = now;
                if (!CopyOne(i) || !VerifyOne(entry)) return false;
            }
        }
        return Check(ops_.Sync(plan_.target), "A cél nem írható lemezre", plan_.target);
    }

    // Removes exactly what this run created, children first, and the folders made above the
    // target; false when something could not be removed (a target gone read-only, say).
    bool Rollback() {
        bool all = true;
        const auto remove = [&](const std::string& path, FileKind kind) {
            if (ops_.Remove(path, kind) == 0 || ops_.Remove(path, kind) == 0) return;  // one more try
            FileInfo still;
            if (ops_.Stat(path, still) != 0 || still.kind != FileKind::Missing) all = false;
        };
        for (auto it = plan_.entries.rbegin(); it != plan_.entries.rend(); ++it) {
            if (!it->created) continue;
            remove(Target(*it), it->info.kind == FileKind::Directory ? FileKind::Directory : FileKind::Regular);
            it->created = false;
        }
        for (auto it = madeAncestors_.rbegin(); it != madeAncestors_.rend(); ++it) remove(*it, FileKind::Directory);
        madeAncestors_.clear();
        return all;
    }

    // Deletes, children first, the source entries that were copied and are unchanged since;
    // keeps the folders leading to excluded folders, and anything new or changed.
    std::vector<std::string> DeleteSource() {
        std::vector<std::string> kept;
        for (auto it = plan_.entries.rbegin(); it != plan_.entries.rend(); ++it) {
            if (it->keep) continue;
            const std::string path = Source(*it);
            if (it->info.kind == FileKind::Directory) {
                ops_.Remove(path, FileKind::Directory);  // stays when something is left in it
                continue;
            }
            FileInfo now;
            if (ops_.Stat(path, now) != 0 || !Unchanged(it->info, now) || ops_.Remove(path, FileKind::Regular) != 0)
                kept.push_back(path);
        }
        // Whatever was added meanwhile stays, and is named.
        const SourceScan left = ScanSource(ops_, plan_.source, plan_.sourceInfo, request_.exclusions);
        for (const PlanEntry& entry : left.entries)
            if (!entry.keep && entry.info.kind != FileKind::Directory &&
                std::find(kept.begin(), kept.end(), Source(entry)) == kept.end())
                kept.push_back(Source(entry));
        return kept;
    }

    const std::string& failure() const { return failure_; }
    bool cancelled() const { return cancelled_.load(); }

private:
    std::string Source(const PlanEntry& entry) const { return JoinPath(plan_.source, entry.relative); }
    std::string Target(const PlanEntry& entry) const { return JoinPath(plan_.target, entry.relative); }

    bool Fail(const std::string& text) {
        std::lock_guard lock(failureLock_);
        if (failure_.empty()) failure_ = text;
        stop_ = true;
        return false;
    }
    bool Check(int error, const char* what, const std::string& path) {
        if (error == 0) return true;
        return Fail(std::string(what) + " (" + ops_.ErrorText(error) + "): " + path);
    }
    bool Stopped() {
        if (!stop_ && callbacks_.cancelled && callbacks_.cancelled()) {
            cancelled_ = true;
            Fail("Az áthelyezés leállítva; semmi sem változott.");
        }
        return stop_.load();
    }

    // Hands out the entries a folder at a time (up to a few hundred of them, or a few
    // megabytes), so that the workers mostly write into different folders and do not wait on
    // each other's locks, while a folder of large files still keeps every worker busy.
    bool OnWorkers(const std::vector<std::size_t>& indices) {
        constexpr std::size_t kMostPerBatch = 256;
        constexpr std::uint64_t kMostBytesPerBatch = 8 << 20;
        std::vector<std::size_t> starts;
        std::uint64_t batchBytes = 0;
        const auto folderOf = [&](std::size_t i) {
            const std::string& relative = plan_.entries[indices[i]].relative;
            return std::string_view(relative).substr(0, relative.rfind('/') + 1);
        };
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (i == 0 || folderOf(i) != folderOf(i - 1) || i - starts.back() >= kMostPerBatch ||
                batchBytes >= kMostBytesPerBatch) {
                starts.push_back(i);
                batchBytes = 0;
            }
            batchBytes += plan_.entries[indices[i]].info.size;
        }
        starts.push_back(indices.size());
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t batch; !Stopped() && (batch = next++) + 1 < starts.size();)
                for (std::size_t at = starts[batch]; at < starts[batch + 1]; ++at)
                    if (Stopped() || !CopyOne(indices[at])) return;
        };
        std::vector<std::thread> helpers;
        for (int i = 1; i < std::max(1, request_.workers); ++i) {
            try {
                helpers.emplace_back(work);
            } catch (...) {
                break;  // fewer threads: the others do their share
            }
        }
        work();
        for (std::thread& helper : helpers) helper.join();
        return !stop_;
    }

    // One entry that is not a folder, written under a temporary name and renamed into place whole.
    bool CopyOne(std::size_t index) {
        PlanEntry& entry = plan_.entries[index];
        const std::string source = Source(entry);
        const std::string target = Target(entry);
        switch (entry.info.kind) {
            case FileKind::Regular: {
                if (entry.linkOf != kNoEntry) {
                    if (!Check(ops_.HardLink(Target(plan_.entries[entry.linkOf]), target), "Nem hozható létre", target))
                        return false;
                    break;
                }
                const auto progress = [this](std::uint64_t bytes) { Progress(bytes, 0); };
                if (!Check(ops_.CopyFile(source, target, entry.info, progress), "Nem másolható", source)) return false;
                break;
            }
            case FileKind::Symlink:
                if (!Check(ops_.MakeSymlink(entry.info.linkTarget, target), "Nem hozható létre", target)) return false;
                break;
            case FileKind::Fifo:
            case FileKind::Device:
                if (!Check(ops_.MakeNode(target, entry.info), "Nem hozható létre", target)) return false;
                break;
            default: return true;
        }
        entry.created = true;
        if (entry.info.kind != FileKind::Regular &&
            !Check(ops_.CopyMetadata(source, target, entry.info), "Nem állíthatók be az adatai", target))
            return false;
        Progress(0, 1);
        return true;
    }

    bool VerifyOne(const PlanEntry& entry) {
        FileInfo copy;
        const std::string target = Target(entry);
        if (!Check(ops_.Stat(target, copy), "Az ellenőrzés nem olvassa", target)) return false;
        const bool modeKept = entry.info.kind == FileKind::Symlink || copy.mode == entry.info.mode;
        return (modeKept && SameContent(ops_, Source(entry), entry.info, target, copy, request_.verifyContent)) ||
               Fail("A másolat eltér az eredetitől: " + target);
    }

    void Progress(std::uint64_t bytes, std::uint64_t files) {
        const std::uint64_t bytesDone = bytesDone_ += bytes;
        const std::uint64_t filesDone = filesDone_ += files;
        if (callbacks_.progress) callbacks_.progress(bytesDone, plan_.bytesTotal, filesDone, plan_.filesTotal);
    }

    platform::FileOps& ops_;
    const MoveRequest& request_;
    const MoveCallbacks& callbacks_;
    MovePlan& plan_;
    std::vector<std::string> madeAncestors_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<std::uint64_t> bytesDone_{0};
    std::atomic<std::uint64_t> filesDone_{0};
    std::mutex failureLock_;
    std::string failure_;
};

}  // namespace

MoveResult OutcomeOf(MoveOutcome outcome, std::string errorText) {
    MoveResult result;
    result.outcome = outcome;
    result.errorText = std::move(errorText);
    return result;
}

MoveResult MoveFolderContent(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks) {
    FileInfo source, target;
    if (ops.Stat(request.source, source) == 0 && source.kind == FileKind::Directory &&
        ops.Stat(request.target, target) == 0 && target.kind == FileKind::Directory && target.device == source.device &&
        target.inode == source.inode)
        return OutcomeOf(MoveOutcome::Same, {});
    if (std::string problem = CheckMovePaths('/', request.source, request.target, request.keptFolders); !problem.empty())
        return OutcomeOf(MoveOutcome::Refused, problem);
    std::string recorded;
    if (const int journalRead = ops.ReadRecord(request.journal, recorded); journalRead != ENOENT)
        return OutcomeOf(MoveOutcome::Refused,
                      journalRead == 0 ? "Egy korábbi, megszakadt áthelyezés még nincs lezárva: " + request.source
                                       : "A napló nem olvasható (" + ops.ErrorText(journalRead) + "): " + request.journal);

    const auto phaseDone = [&](const char* phase) {
        if (callbacks.phaseDone) callbacks.phaseDone(phase);
    };
    MovePlan plan;
    std::string problem;
    if (!PlanMove(ops, request, plan, problem)) return OutcomeOf(MoveOutcome::Refused, problem);
    phaseDone("plan");

    Journal journal;
    journal.phase = "copying";
    journal.source = plan.source;
    journal.target = plan.target;
    journal.deleteSource = request.deleteSource;
    journal.verifyContent = request.verifyContent;
    journal.exclusions = request.exclusions;
    journal.createdAncestors = plan.createdAncestors;
    for (const PlanEntry& entry : plan.entries)
        if (entry.preexisting) journal.preexisting.push_back(entry.relative);
    // The journal is on disk before the first write, so that a killed run can be undone.
    if (const int error = ops.WriteRecord(request.journal, FormatJournal(journal)); error != 0)
        return OutcomeOf(MoveOutcome::Refused, "A napló nem írható (" + ops.ErrorText(error) + "): " + request.journal);

    Mover mover(ops, request, callbacks, plan);
    const auto undo = [&](std::string text) {
        // What could not be removed now is removed by the recovery, which the journal asks for.
        if (mover.Rollback()) ops.Remove(request.journal, FileKind::Regular);
        else text += " A célon maradt részeket a mappa következő áthelyezése előtt törli a program.";
        return OutcomeOf(mover.cancelled() ? MoveOutcome::Cancelled : MoveOutcome::Failed, std::move(text));
    };
    if (!mover.Copy()) return undo(mover.failure());
    phaseDone("copy");
    if (!mover.Verify()) return undo(mover.failure());
    phaseDone("verify");

    journal.phase = "registering";
    if (const int error = ops.WriteRecord(request.journal, FormatJournal(journal)); error != 0)
        return undo("A napló nem írható (" + ops.ErrorText(error) + "): " + request.journal);
    if (!callbacks.registerTarget || !callbacks.registerTarget())
        return undo("Az új hely nem jegyezhető be: " + plan.target);
    phaseDone("register");

    // From here the folder is relocated: what follows can only leave things at the old place.
    MoveResult result = OutcomeOf(MoveOutcome::Moved, {});
    result.skipped = plan.skipped;
    if (request.deleteSource) {
        journal.phase = "deleting";
        ops.WriteRecord(request.journal, FormatJournal(journal));
        result.keptSources = mover.DeleteSource();
        if (!result.keptSources.empty())
            result.errorText = "Áthelyezve; a régi helyen maradt, mert közben megváltozott vagy új: " +
                               FirstFew(result.keptSources);
    }
    phaseDone("delete");
    if (!result.skipped.empty() && result.errorText.empty())
        result.errorText = "Áthelyezve; a socketek nem másolhatók: " + FirstFew(result.skipped);
    ops.Remove(request.journal, FileKind::Regular);
    return result;
}

}  // namespace trovel::relocation
