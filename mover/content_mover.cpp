// The content mover: plan, journal, copy, verify, register, delete; and the rollback of
// everything this run created when any of it fails before the target is registered. Every
// operation goes through folders held open from the source root and the drive root, each
// checked to be the folder the plan recorded.
#include "mover/content_mover.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "mover/bottom_up.h"
#include "mover/folder_chain.h"
#include "mover/folder_rename.h"
#include "mover/move_plan.h"
#include "mover/same_content.h"
#include "mover/worker_threads.h"
#include "platform/messages.h"

namespace trovel::relocation {
namespace {

using platform::Fill;
using platform::FileInfo;
using platform::Tr;
using platform::FileKind;
using platform::HeldFolder;

// How often a file that changed while it was copied is copied again before the run gives up.
constexpr int kCopyTries = 3;

// Whether an entry is still what was recorded: the same object, size, modification and
// change times (a same-size edit with its mtime put back still moves the ctime on).
bool Unchanged(const FileInfo& before, const FileInfo& now) {
    return before.kind == now.kind && before.SameObjectAs(now) && before.size == now.size &&
           before.modifiedNs == now.modifiedNs && before.changedNs == now.changedNs &&
           before.linkTarget == now.linkTarget;
}

class Mover {
public:
    Mover(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks, MovePlan& plan,
          HeldFolder sourceRoot, HeldFolder driveRoot)
        : ops_(ops), request_(request), callbacks_(callbacks), plan_(plan), sourceRoot_(sourceRoot),
          driveRoot_(driveRoot) {}
    ~Mover() { CloseSteps(); }

    // Makes the folders above the target, the folders, then the files on several threads,
    // then the folders' own metadata, children first.
    bool Copy() {
        HeldFolder at = driveRoot_;
        std::string path = plan_.driveRoot;
        for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
            const std::string& step = plan_.steps[i];
            path = JoinPath(path, step);
            if (i >= plan_.existingSteps) {
                if (!Check(ops_.MakeDirectory(at, step), Tr("Cannot create the folder"), path)) return false;
                madeSteps_ = i + 1 - plan_.existingSteps;
            }
            FileInfo info;
            if (i < plan_.existingSteps) info = plan_.stepInfo[i];
            else if (!Check(ops_.Stat(at, step, info), Tr("Cannot read"), path)) return false;
            HeldFolder next;
            if (!Check(ops_.OpenChild(at, step, info, next), Tr("Cannot open"), path)) return false;
            steps_.push_back(next);
            at = next;
        }
        targetRoot_ = at;
        if (!Check(ops_.StatHeld(targetRoot_, targetRootInfo_), Tr("Cannot read"), plan_.target)) return false;
        Chains chains(*this);
        for (PlanEntry& entry : plan_.entries) {
            if (entry.info.kind != FileKind::Directory || entry.preexisting) continue;
            if (Stopped()) return false;
            const auto [place, name] = SplitPlace(entry.relative);
            HeldFolder parent;
            if (!Check(chains.target.Open(place, parent), Tr("Cannot open"), Target(place)) ||
                !Check(ops_.MakeDirectory(parent, name), Tr("Cannot create the folder"), Target(entry)))
                return false;
            entry.created = true;
            FileInfo made;
            if (!Check(ops_.Stat(parent, name, made), Tr("Cannot read"), Target(entry))) return false;
            entry.twin = ObjectId(made);
        }
        std::vector<std::size_t> firsts, links;
        for (std::size_t i = 0; i < plan_.entries.size(); ++i) {
            const PlanEntry& entry = plan_.entries[i];
            if (entry.info.kind == FileKind::Directory || entry.preexisting) continue;
            (entry.linkOf == kNoEntry ? firsts : links).push_back(i);
        }
        const auto copy = [this](std::size_t index, Chains& own) { return CopyOne(index, own); };
        if (!OnWorkers(firsts, copy) || !OnWorkers(links, copy)) return false;
        for (auto it = plan_.entries.rbegin(); it != plan_.entries.rend(); ++it) {
            if (it->info.kind != FileKind::Directory || !it->created) continue;
            const auto [place, name] = SplitPlace(it->relative);
            HeldFolder from, to;
            if (!Check(chains.source.Open(place, from), Tr("Cannot open"), Source(place)) ||
                !Check(chains.target.Open(place, to), Tr("Cannot open"), Target(place)) ||
                !Check(ops_.CopyMetadata(from, name, to, name, it->info), Tr("Cannot set the folder's attributes"),
                       Target(*it)))
                return false;
        }
        // The folders made above the target: the target takes the folder's own metadata, the
        // ones above it are open as usual.
        for (std::size_t i = plan_.steps.size(); i-- > plan_.existingSteps;) {
            const HeldFolder parent = i == 0 ? driveRoot_ : steps_[i - 1];
            const bool isTarget = i + 1 == plan_.steps.size();
            FileInfo like = plan_.sourceInfo;
            if (!isTarget) like.mode = 0755;
            const int error = isTarget ? ops_.CopyMetadata(sourceRoot_, ".", parent, plan_.steps[i], like)
                                       : ops_.CopyMetadata({}, {}, parent, plan_.steps[i], like);
            if (!Check(error, Tr("Cannot set the folder's attributes"), plan_.createdAncestors[i - plan_.existingSteps]))
                return false;
        }
        return true;
    }

    // Everything on disk, then every entry as it was copied, those found at the target among
    // them, on the copy's workers; files changed since their copy are copied again.
    bool Verify() {
        if (!Check(ops_.Sync(targetRoot_), Tr("Cannot write the destination to disk"), plan_.target)) return false;
        std::vector<std::size_t> present;
        for (std::size_t i = 0; i < plan_.entries.size(); ++i)
            if (!plan_.entries[i].gone) present.push_back(i);
        if (!OnWorkers(present, [this](std::size_t index, Chains& chains) { return VerifyAt(index, chains); }))
            return false;
        return Check(ops_.Sync(targetRoot_), Tr("Cannot write the destination to disk"), plan_.target);
    }

    // Whether the drive is still where it was chosen, and the target's path still leads to
    // the folder this run wrote into: what is registered is what was written.
    bool TargetStillThere() {
        HeldGuard drive(ops_), target(ops_);
        FileInfo driveNow, targetNow;
        if (ops_.OpenPath(plan_.driveRoot, *drive.out(), driveNow) != 0 ||
            driveNow.device != plan_.driveInfo.device || driveNow.mountId != plan_.driveInfo.mountId)
            return Fail(Tr("The drive was unmounted meanwhile, or something else is mounted in its place: ") + plan_.driveRoot);
        if (ops_.OpenPath(plan_.target, *target.out(), targetNow) != 0 || !targetNow.SameObjectAs(targetRootInfo_))
            return Fail(Tr("The destination's path changed meanwhile: ") + plan_.target);
        return true;
    }

    // Removes exactly what this run created, children first, and the folders made above the
    // target; false when something could not be removed (a target gone read-only, say).
    bool Rollback() {
        bool all = true;
        const auto remove = [&](HeldFolder parent, const std::string& name, FileKind kind, const ObjectId& made,
                                const std::function<bool(const FileInfo&)>& sameAsSource) {
            FileInfo there;
            if (ops_.Stat(parent, name, there) != 0) {
                all = false;
                return;
            }
            if (there.kind == FileKind::Missing) return;
            // A file only when it is the one this run made (or, where the run could not read back
            // what it made, a twin of the source); a folder goes only when empty anyway.
            if (kind != FileKind::Directory && !(made.inode != 0 ? made.Is(there) : sameAsSource(there)))
                return;
            if (ops_.Remove(parent, name, kind) == 0 || ops_.Remove(parent, name, kind) == 0) return;  // one more try
            all = false;
        };
        if (targetRoot_.valid()) {
            Chains chains(*this);
            for (auto it = plan_.entries.rbegin(); it != plan_.entries.rend(); ++it) {
                if (!it->created) continue;
                const auto [place, name] = SplitPlace(it->relative);
                HeldFolder parent;
                if (chains.target.Open(place, parent) != 0) {
                    all = false;
                    continue;
                }
                const auto sameAsSource = [&](const FileInfo& there) {
                    HeldFolder from;
                    return chains.source.Open(place, from) == 0 &&
                           SameContent(ops_, from, name, it->info, parent, name, there);
                };
                remove(parent, name, it->info.kind == FileKind::Directory ? FileKind::Directory : FileKind::Regular,
                       it->twin, sameAsSource);
                it->created = false;
            }
        }
        // The folders made above the target, by name in their held parents: a folder is only
        // ever removed empty, so one that is not this run's loses nothing either.
        for (std::size_t made = madeSteps_; made > 0; --made) {
            const std::size_t i = plan_.existingSteps + made - 1;
            const HeldFolder parent = i == 0 ? driveRoot_ : steps_[i - 1];
            if (ops_.Remove(parent, plan_.steps[i], FileKind::Directory) != 0 &&
                ops_.Remove(parent, plan_.steps[i], FileKind::Directory) != 0)
                all = false;
        }
        madeSteps_ = 0;
        return all;
    }

    // Deletes, children first, the source entries that were copied and are unchanged since;
    // keeps the folders leading to excluded folders, and anything new or changed. The names
    // of hard-linked files go first, one at a time; then the rest on the copy's workers, a
    // folder removed once everything in it was. The first removal that fails stops them all.
    std::vector<std::string> DeleteSource(std::string& removalError) {
        Removal removal;
        for (std::size_t i = 0; i < plan_.entries.size(); ++i)
            if (Linked(plan_.entries[i]))
                removal.names[{plan_.entries[i].info.device, plan_.entries[i].info.inode}].push_back(i);
        {
            Chains chains(*this);
            FolderChain others(ops_, sourceRoot_, SourceIdentity());
            for (std::size_t i = plan_.entries.size(); i-- > 0 && removal.error.empty();)
                if (Linked(plan_.entries[i])) RemoveFile(i, chains, others, removal);
        }
        if (removal.error.empty()) {
            BottomUp order(plan_.entries, plan_.folders);
            RunOnWorkers(request_.workers, [&] {
                Chains chains(*this);
                FolderChain others(ops_, sourceRoot_, SourceIdentity());
                order.Work(
                    [&](std::size_t i) { return Linked(plan_.entries[i]) || RemoveFile(i, chains, others, removal); },
                    [&](std::size_t i) { return RemoveFolder(i, chains, removal); });
            });
        }
        removalError = removal.error;
        // Kept ones named children first, as one thread going through the plan backwards would.
        std::sort(removal.kept.begin(), removal.kept.end(), std::greater<>());
        std::vector<std::string> kept;
        std::unordered_set<std::string> keptSet;
        const auto keep = [&](const std::string& path) {
            if (keptSet.insert(path).second) kept.push_back(path);
        };
        for (const std::size_t i : removal.kept) keep(Source(plan_.entries[i]));
        // Whatever was added meanwhile stays, and is named; so is what a failed removal left.
        const SourceScan left =
            ScanSource(ops_, sourceRoot_, plan_.source, plan_.sourceInfo, request_.exclusions, request_.workers);
        for (const PlanEntry& entry : left.entries)
            if (!entry.keep && entry.info.kind != FileKind::Directory) keep(Source(entry));
        return kept;
    }

    const std::string& failure() const { return failure_; }
    bool cancelled() const { return cancelled_.load(); }

private:
    // The folders a thread walks: at the source, at the target, and at the target again
    // for the first name of a hard-linked file.
    struct Chains {
        explicit Chains(Mover& mover)
            : source(mover.ops_, mover.sourceRoot_, mover.SourceIdentity()),
              target(mover.ops_, mover.targetRoot_, mover.TargetIdentity()),
              linked(mover.ops_, mover.targetRoot_, mover.TargetIdentity()) {}
        FolderChain source, target, linked;
    };

    // What the deletion left, and why it stopped; shared by its workers.
    struct Removal {
        std::mutex lock;
        std::vector<std::size_t> kept;  // entries left at the old place
        std::string error;              // the first removal that failed
        // The names of each hard-linked file, by its device and inode.
        std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::size_t>> names;
        void Keep(std::size_t index) {
            const std::lock_guard one(lock);
            kept.push_back(index);
        }
    };

    // A name of a file with more than one: removing it moves the others' change time on.
    static bool Linked(const PlanEntry& entry) {
        return entry.info.kind == FileKind::Regular && entry.info.links > 1;
    }

    // Removes one source entry that is not a folder, if it is still what was copied and its
    // verified copy is still at the target; false only when the removal itself failed.
    bool RemoveFile(std::size_t index, Chains& chains, FolderChain& others, Removal& removal) {
        PlanEntry& entry = plan_.entries[index];
        if (entry.keep || entry.gone) return true;
        const auto [place, name] = SplitPlace(entry.relative);
        HeldFolder parent;
        FileInfo now;
        if (!LookAtSource(index, place, name, chains, removal, parent, now)) return true;
        if (now.kind == FileKind::Missing) return true;  // removed meanwhile: nothing to lose
        if (!Unchanged(entry.info, now) || !TwinStillThere(entry, chains)) {
            removal.Keep(index);
            return true;
        }
        if (const int error = ops_.Remove(parent, name, FileKind::Regular); error != 0) {
            removal.Keep(index);
            return StopRemoving(removal, error);
        }
        if (!chains.source.StillInPlace(place)) {
            // A folder on the way was set aside or swapped for a link since it was opened: the
            // name may have gone from where its owner put it. It comes back, a copy of its
            // verified twin, and the next removal looks for the folder by its name again.
            removal.Keep(index);
            const int error = PutBack(entry, parent, name, chains);
            chains.source.Reset();
            return error == 0 || StopRemoving(removal, error);
        }
        if (now.links > 1) ExpectNewChangeTime(entry, now, others, removal);
        return true;
    }

    // Opens the folder of a source entry and reads what stands under its name now; when either
    // cannot be done, the entry is kept, for nothing is removed that could not be looked at.
    bool LookAtSource(std::size_t index, const std::string& place, const std::string& name, Chains& chains,
                      Removal& removal, HeldFolder& parent, FileInfo& now) {
        if (chains.source.Open(place, parent) == 0 && ops_.Stat(parent, name, now) == 0) return true;
        removal.Keep(index);
        return false;
    }

    // Notes the first removal that failed: false, which stops every worker before its next one.
    bool StopRemoving(Removal& removal, int error) {
        const std::lock_guard one(removal.lock);
        if (removal.error.empty()) removal.error = ops_.ErrorText(error);
        return false;
    }

    // Copies a removed source file back into the folder it was removed from, from its twin.
    int PutBack(const PlanEntry& entry, HeldFolder parent, const std::string& name, Chains& chains) {
        HeldFolder from;
        FileInfo twin;
        if (const int error = chains.target.Open(SplitPlace(entry.relative).first, from); error != 0) return error;
        if (const int error = ops_.Stat(from, name, twin); error != 0) return error;
        if (!entry.twin.Is(twin)) return platform::kReplacedMeanwhile;
        return ops_.CopyFile(from, name, parent, name, twin, [](std::uint64_t) {});
    }

    // The other names of a file one name of which was just removed carry the change time this
    // removal gave it: read it from one of them, if it is otherwise as recorded, and expect it of all.
    void ExpectNewChangeTime(const PlanEntry& removed, const FileInfo& now, FolderChain& others, Removal& removal) {
        const auto found = removal.names.find({now.device, now.inode});
        if (found == removal.names.end()) return;
        const std::vector<std::size_t>& group = found->second;
        for (const std::size_t other : group) {
            const PlanEntry& twin = plan_.entries[other];
            if (&twin == &removed || twin.gone) continue;
            const auto [otherPlace, otherName] = SplitPlace(twin.relative);
            HeldFolder otherParent;
            FileInfo otherNow;
            if (others.Open(otherPlace, otherParent) != 0 || ops_.Stat(otherParent, otherName, otherNow) != 0 ||
                !otherNow.SameObjectAs(now) || otherNow.size != now.size || otherNow.modifiedNs != now.modifiedNs)
                continue;
            for (const std::size_t each : group) plan_.entries[each].info.changedNs = otherNow.changedNs;
            break;
        }
    }

    // Removes a copied source folder once everything in it had its turn: only the folder that
    // was copied, and only when it is empty (what was kept keeps it).
    bool RemoveFolder(std::size_t index, Chains& chains, Removal& removal) {
        const PlanEntry& entry = plan_.entries[index];
        if (entry.keep) return true;
        const auto [place, name] = SplitPlace(entry.relative);
        HeldFolder parent;
        FileInfo now;
        if (!LookAtSource(index, place, name, chains, removal, parent, now)) return true;
        if (now.kind == FileKind::Directory && now.SameObjectAs(entry.info)) ops_.Remove(parent, name, FileKind::Directory);
        return true;
    }

    FolderChain::Identity SourceIdentity() {
        return [this](const std::string& place) -> const FileInfo* {
            const auto found = plan_.folders.find(place);
            return found == plan_.folders.end() ? nullptr : &plan_.entries[found->second].info;
        };
    }
    FolderChain::Identity TargetIdentity() {
        return FoldersRecordedAs([this](const std::string& place) -> const ObjectId* {
            const auto found = plan_.folders.find(place);
            if (found == plan_.folders.end()) return nullptr;
            const PlanEntry& folder = plan_.entries[found->second];
            return folder.created || folder.preexisting ? &folder.twin : nullptr;
        });
    }

    // Whether the copy this run verified is still at the target as it was: a twin removed or
    // replaced since then leaves its original where it is.
    bool TwinStillThere(const PlanEntry& entry, Chains& chains) {
        const auto [place, name] = SplitPlace(entry.relative);
        HeldFolder to;
        FileInfo twin;
        return chains.target.Open(place, to) == 0 && ops_.Stat(to, name, twin) == 0 && entry.twin.Is(twin) &&
               twin.kind == entry.info.kind && twin.size == entry.info.size;
    }

    void CloseSteps() {
        for (const HeldFolder step : steps_) ops_.Close(step);
        steps_.clear();
    }

    std::string Source(const PlanEntry& entry) const { return JoinPath(plan_.source, entry.relative); }
    std::string Target(const PlanEntry& entry) const { return JoinPath(plan_.target, entry.relative); }
    std::string Source(const std::string& place) const { return JoinPath(plan_.source, place); }
    std::string Target(const std::string& place) const { return JoinPath(plan_.target, place); }

    bool Fail(const std::string& text) {
        std::lock_guard lock(failureLock_);
        if (failure_.empty()) failure_ = text;
        stop_ = true;
        return false;
    }
    bool Check(int error, const char* what, const std::string& path) {
        if (error == 0) return true;
        if (error == platform::kReplacedMeanwhile) return Fail(std::string(what) + " (" + Tr("the folder was replaced meanwhile") + "): " + path);
        return Fail(std::string(what) + " (" + ops_.ErrorText(error) + "): " + path);
    }
    bool Stopped() {
        if (!stop_ && callbacks_.cancelled && callbacks_.cancelled()) {
            cancelled_ = true;
            Fail(Tr("The relocation was stopped; nothing changed."));
        }
        return stop_.load();
    }

    // Hands out the entries a folder at a time (up to a few hundred of them, or a few
    // megabytes), so that the workers mostly write into different folders and do not wait on
    // each other's locks, while a folder of large files still keeps every worker busy.
    bool OnWorkers(const std::vector<std::size_t>& indices, const std::function<bool(std::size_t, Chains&)>& each) {
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
        RunOnWorkers(request_.workers, [&] {
            Chains chains(*this);
            for (std::size_t batch; !Stopped() && (batch = next++) + 1 < starts.size();)
                for (std::size_t at = starts[batch]; at < starts[batch + 1]; ++at)
                    if (Stopped() || !each(indices[at], chains)) return;
        });
        return !stop_;
    }

    // One entry as it was copied; a file changed since its copy is copied again first.
    bool VerifyAt(std::size_t index, Chains& chains) {
        PlanEntry& entry = plan_.entries[index];
        const auto [place, name] = SplitPlace(entry.relative);
        for (int tries = 1; entry.info.kind == FileKind::Regular && entry.linkOf == kNoEntry && !entry.preexisting;
             ++tries) {
            HeldFolder from;
            FileInfo now;
            if (!Check(chains.source.Open(place, from), Tr("Cannot open"), Source(place)) ||
                !Check(ops_.Stat(from, name, now), Tr("Cannot read"), Source(entry)))
                return false;
            if (Unchanged(entry.info, now)) break;
            // The user kept working on it: copy what is there now.
            if (tries == kCopyTries) return Fail(Tr("The file kept changing while it was copied: ") + Source(entry));
            if (now.kind != FileKind::Regular) return Fail(Tr("The file changed while it was copied: ") + Source(entry));
            HeldFolder to;
            if (!Check(chains.target.Open(place, to), Tr("Cannot open"), Target(place)) ||
                !Check(ops_.Remove(to, name, FileKind::Regular), Tr("Cannot delete"), Target(entry)))
                return false;
            entry.created = false;
            entry.info = now;
            if (!CopyOne(index, chains)) return false;
        }
        return VerifyOne(entry, chains);
    }

    // One entry that is not a folder, written under a temporary name and renamed into place whole.
    bool CopyOne(std::size_t index, Chains& chains) {
        PlanEntry& entry = plan_.entries[index];
        const auto [place, name] = SplitPlace(entry.relative);
        HeldFolder from, to;
        if (!Check(chains.source.Open(place, from), Tr("Cannot open"), Source(place)) ||
            !Check(chains.target.Open(place, to), Tr("Cannot open"), Target(place)))
            return false;
        switch (entry.info.kind) {
            case FileKind::Regular: {
                if (entry.linkOf != kNoEntry) {
                    const PlanEntry& first = plan_.entries[entry.linkOf];
                    if (first.gone) {
                        entry.gone = true;  // the file went before it was copied: its other names are new
                        return true;
                    }
                    const auto [firstPlace, firstName] = SplitPlace(first.relative);
                    HeldFolder firstFolder;
                    if (!Check(chains.linked.Open(firstPlace, firstFolder), Tr("Cannot open"), Target(firstPlace)) ||
                        !Check(ops_.HardLink(firstFolder, firstName, to, name), Tr("Cannot create"), Target(entry)))
                        return false;
                    break;
                }
                const auto progress = [this](std::uint64_t bytes) { Progress(bytes, 0); };
                int error = ops_.CopyFile(from, name, to, name, entry.info, progress);
                if (error == ENOENT) {
                    FileInfo now;
                    if (ops_.Stat(from, name, now) == 0 && now.kind == FileKind::Missing) {
                        entry.gone = true;  // deleted by its owner before its turn: nothing to copy or lose
                        Progress(0, 1);
                        return true;
                    }
                }
                if (error == platform::kReplacedMeanwhile) {
                    // Replaced under the same name since the plan (an editor saving): copy what is there now.
                    FileInfo now;
                    if (ops_.Stat(from, name, now) == 0 && now.kind == FileKind::Regular) {
                        entry.info = now;
                        error = ops_.CopyFile(from, name, to, name, entry.info, progress);
                    }
                }
                if (!Check(error, Tr("Cannot copy"), Source(entry))) return false;
                break;
            }
            case FileKind::Symlink:
                if (!Check(ops_.MakeSymlink(entry.info.linkTarget, to, name), Tr("Cannot create"), Target(entry)))
                    return false;
                break;
            case FileKind::Fifo:
            case FileKind::Device:
                if (!Check(ops_.MakeNode(to, name, entry.info), Tr("Cannot create"), Target(entry))) return false;
                break;
            default: return true;
        }
        entry.created = true;
        FileInfo made;
        if (!Check(ops_.Stat(to, name, made), Tr("Cannot read"), Target(entry))) return false;
        entry.twin = ObjectId(made);
        if (entry.info.kind != FileKind::Regular &&
            !Check(ops_.CopyMetadata(from, name, to, name, entry.info), Tr("Cannot set its attributes"), Target(entry)))
            return false;
        Progress(0, 1);
        return true;
    }

    bool VerifyOne(const PlanEntry& entry, Chains& chains) {
        const auto [place, name] = SplitPlace(entry.relative);
        HeldFolder from, to;
        FileInfo copy;
        if (!Check(chains.source.Open(place, from), Tr("Cannot open"), Source(place)) ||
            !Check(chains.target.Open(place, to), Tr("The check cannot open"), Target(place)) ||
            !Check(ops_.Stat(to, name, copy), Tr("The check cannot read"), Target(entry)))
            return false;
        // What this run made, or found there, and nothing that took its place since.
        if (!entry.twin.Is(copy)) return Fail(Tr("Replaced at the destination meanwhile: ") + Target(entry));
        const bool modeKept = entry.preexisting || entry.info.kind == FileKind::Symlink || copy.mode == entry.info.mode;
        const bool compareData = request_.verifyContent || entry.preexisting;
        return (modeKept && SameContent(ops_, from, name, entry.info, to, name, copy, compareData)) ||
               Fail(Tr("The copy differs from the original: ") + Target(entry));
    }

    // One report at a time, whichever worker makes it: the caller's counters and its
    // progress line need no lock of their own.
    void Progress(std::uint64_t bytes, std::uint64_t files) {
        if (!callbacks_.progress) return;
        const std::lock_guard<std::mutex> one(progressLock_);
        bytesDone_ += bytes;
        filesDone_ += files;
        callbacks_.progress(bytesDone_, plan_.bytesTotal, filesDone_, plan_.filesTotal);
    }

    platform::FileOps& ops_;
    const MoveRequest& request_;
    const MoveCallbacks& callbacks_;
    MovePlan& plan_;
    HeldFolder sourceRoot_;
    HeldFolder driveRoot_;
    HeldFolder targetRoot_;
    FileInfo targetRootInfo_;
    std::vector<HeldFolder> steps_;  // the folders from the drive root down to the target
    std::size_t madeSteps_ = 0;      // how many of them this run made
    std::atomic<bool> stop_{false};
    std::atomic<bool> cancelled_{false};
    std::mutex progressLock_;  // guards the two counts and the calls to the progress callback
    std::uint64_t bytesDone_ = 0;
    std::uint64_t filesDone_ = 0;
    std::mutex failureLock_;
    std::string failure_;
};

// `linked` names a link on the way (with %1 for the path), `unreadable` any other error (%1, %2).
std::string OpenProblem(platform::FileOps& ops, int error, const char* linked, const char* unreadable,
                        const std::string& path) {
    if (error == ELOOP) return Fill(linked, {path});
    return Fill(unreadable, {ops.ErrorText(error), path});
}

}  // namespace

MoveResult OutcomeOf(MoveOutcome outcome, std::string errorText) {
    MoveResult result;
    result.outcome = outcome;
    result.errorText = std::move(errorText);
    return result;
}

namespace {

// The checks before the first write, with the folders they opened and the plan they made;
// Checked when the move may start.
MoveResult Preflight(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks,
                     HeldGuard& sourceRoot, HeldGuard& driveRoot, MovePlan& plan) {
    FileInfo source, drive;
    if (const int error = ops.OpenPath(request.source, *sourceRoot.out(), source); error != 0)
        return OutcomeOf(MoveOutcome::Refused, OpenProblem(ops, error, Tr("There is a link on the folder's path: %1"),
                                                           Tr("Cannot read the folder (%1): %2"), request.source));
    {
        HeldGuard target(ops);
        FileInfo there;
        if (ops.OpenPath(request.target, *target.out(), there) == 0 && there.SameObjectAs(source))
            return OutcomeOf(MoveOutcome::Same, {});
    }
    if (std::string problem = CheckMovePaths('/', request.source, request.target, request.keptFolders); !problem.empty())
        return OutcomeOf(MoveOutcome::Refused, problem);
    if (const int error = ops.OpenPath(request.driveRoot, *driveRoot.out(), drive); error != 0)
        return OutcomeOf(MoveOutcome::Refused, OpenProblem(ops, error, Tr("There is a link on the drive's path: %1"),
                                                           Tr("Cannot read the drive (%1): %2"), request.driveRoot));
    std::string recorded;
    if (const int journalRead = ops.ReadRecord(request.journal, recorded); journalRead != ENOENT) {
        MoveResult refused =
            OutcomeOf(MoveOutcome::Refused,
                      journalRead == 0 ? Tr("An earlier, interrupted relocation is not settled yet: ") + request.source
                                       : Fill(Tr("Cannot read the journal (%1): %2"),
                                              {ops.ErrorText(journalRead), request.journal}));
        refused.refusal = MoveRefusal::Interrupted;
        return refused;
    }
    std::string problem;
    if (!PlanMove(ops, request, sourceRoot.get(), driveRoot.get(), plan, problem)) {
        MoveResult refused = OutcomeOf(MoveOutcome::Refused, problem);
        refused.refusal = plan.refusal;
        return refused;
    }
    // A path the registry cannot hold is refused now, not after everything was copied.
    if (callbacks.registrationProblem) problem = callbacks.registrationProblem();
    if (!problem.empty()) return OutcomeOf(MoveOutcome::Refused, problem);
    return OutcomeOf(MoveOutcome::Checked);
}

}  // namespace

MoveResult CheckFolderMove(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks) {
    HeldGuard sourceRoot(ops), driveRoot(ops);
    MovePlan plan;
    return Preflight(ops, request, callbacks, sourceRoot, driveRoot, plan);
}

MoveResult MoveFolderContent(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks) {
    HeldGuard sourceRoot(ops), driveRoot(ops);
    MovePlan plan;
    if (MoveResult checked = Preflight(ops, request, callbacks, sourceRoot, driveRoot, plan);
        checked.outcome != MoveOutcome::Checked)
        return checked;
    const auto phaseDone = [&](const char* phase) {
        if (callbacks.phaseDone) callbacks.phaseDone(phase);
    };
    phaseDone("plan");
    if (plan.renameWhole) return RenameWholeFolder(ops, request, callbacks, plan, driveRoot.get());

    Journal journal;
    journal.phase = "copying";
    journal.source = plan.source;
    journal.target = plan.target;
    journal.driveRoot = plan.driveRoot;
    journal.runId = ops.RunId();
    journal.deleteSource = request.deleteSource;
    journal.verifyContent = request.verifyContent;
    journal.exclusions = request.exclusions;
    journal.createdAncestors = plan.createdAncestors;
    for (const PlanEntry& entry : plan.entries)
        if (entry.preexisting) journal.preexisting.push_back(entry.relative);
    // The journal is on disk before the first write, so that a killed run can be undone.
    if (const int error = ops.WriteRecord(request.journal, FormatJournal(journal)); error != 0)
        return OutcomeOf(MoveOutcome::Refused, Fill(Tr("Cannot write the journal (%1): %2"), {ops.ErrorText(error), request.journal}));

    Mover mover(ops, request, callbacks, plan, sourceRoot.get(), driveRoot.get());
    const auto undo = [&](std::string text) {
        // What could not be removed now is removed by the recovery, which the journal asks for.
        if (mover.Rollback()) ops.RemoveRecord(request.journal);
        else text += std::string(" ") + Tr("The parts left at the destination are deleted before the folder's next relocation.");
        return OutcomeOf(mover.cancelled() ? MoveOutcome::Cancelled : MoveOutcome::Failed, std::move(text));
    };
    if (!mover.Copy()) return undo(mover.failure());
    phaseDone("copy");
    if (!mover.Verify()) return undo(mover.failure());
    phaseDone("verify");

    journal.phase = "registering";
    if (const int error = ops.WriteRecord(request.journal, FormatJournal(journal)); error != 0)
        return undo(Fill(Tr("Cannot write the journal (%1): %2"), {ops.ErrorText(error), request.journal}));
    if (!mover.TargetStillThere()) return undo(mover.failure());
    if (!callbacks.registerTarget || !callbacks.registerTarget())
        return undo(Tr("Cannot register the new place: ") + plan.target);
    phaseDone("register");

    // From here the folder is relocated: what follows can only leave things at the old place.
    MoveResult result = OutcomeOf(MoveOutcome::Moved, {});
    result.skipped = plan.skipped;
    result.files = plan.filesTotal;
    result.bytes = plan.bytesTotal;
    result.madeFolders = plan.createdAncestors;
    if (request.deleteSource) {
        journal.phase = "deleting";
        ops.WriteRecord(request.journal, FormatJournal(journal));
        std::string removalError;
        result.keptSources = mover.DeleteSource(removalError);
        if (!removalError.empty())
            result.errorText = Fill(Tr("Relocated; cannot delete from the old place (%1): %2"),
                                    {removalError, FirstFew(result.keptSources)});
        else if (!result.keptSources.empty())
            result.errorText = Tr("Relocated; left at the old place because it changed meanwhile or is new: ") +
                               FirstFew(result.keptSources);
    }
    phaseDone("delete");
    if (!result.skipped.empty() && result.errorText.empty())
        result.errorText = Tr("Relocated; sockets cannot be copied: ") + FirstFew(result.skipped);
    ops.RemoveRecord(request.journal);
    return result;
}

}  // namespace trovel::relocation
