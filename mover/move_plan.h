#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "mover/content_mover.h"
#include "mover/folder_chain.h"
#include "platform/file_ops.h"

namespace trovel::relocation {

inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

// One entry below the source, as it was when the move began.
struct PlanEntry {
    std::string relative;  // "Photos/2019/a.jpg"
    platform::FileInfo info;
    ObjectId twin;             // the entry at the target, once it is there
    bool preexisting = false;  // already at the target, identical: counted as copied, never removed
    bool created = false;      // this run made it at the target
    bool keep = false;         // leads to an excluded folder: stays at the old place
    bool gone = false;         // removed from the old place before it was copied: nothing to copy or delete
    std::size_t linkOf = kNoEntry;  // a further name of the file of that entry (a hard link)
};

// A plan's entries, held in blocks rather than in one array: a walk of a million entries then
// grows without being copied to a larger array, which would hold them twice for a moment.
using PlanEntries = std::deque<PlanEntry>;

// The entries below a source folder, parents first, leaving out the excluded folders and
// marking the folders that lead to them; and what stands in the way of moving them.
struct SourceScan {
    PlanEntries entries;
    std::unordered_map<std::string, std::size_t> folders;  // a folder's place -> its entry
    std::vector<std::string> unreadable, mounts, devices, skipped;
};
// `root` is the held source folder, `rootPath` its path (for texts and the exclusions); the
// folders are listed on `workers` threads, and the result is the same for any number of them.
SourceScan ScanSource(platform::FileOps& ops, platform::HeldFolder root, const std::string& rootPath,
                      const platform::FileInfo& rootInfo, const std::vector<std::string>& exclusions,
                      int workers = 1);

// Everything the move knows before its first write. Entries stand parents first.
struct MovePlan {
    std::string source;
    std::string target;
    std::string driveRoot;
    platform::FileInfo sourceInfo;
    platform::FileInfo driveInfo;
    PlanEntries entries;
    std::unordered_map<std::string, std::size_t> folders;  // a folder's place -> its entry
    std::vector<std::string> steps;   // the target below the drive root, a name a step
    std::size_t existingSteps = 0;    // how many of them were there when the move was planned
    std::vector<platform::FileInfo> stepInfo;  // the folders of those steps, as they were
    std::vector<std::string> createdAncestors;  // the steps this run makes, as paths, topmost first
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesTotal = 0;
    std::vector<std::string> skipped;  // sockets
    MoveRefusal refusal = MoveRefusal::Other;  // why PlanMove said no
    bool renameWhole = false;  // the folder goes by one rename (MoveRequest::renameOnSameFilesystem)
};

// Lists the held source, leaving out the excluded folders; walks from the held drive root to
// the target, refusing a link or another filesystem on the way; looks at what is at the
// target already and at the space. Fills `problem` with a refusal text when the content
// cannot be moved whole. Writes nothing.
bool PlanMove(platform::FileOps& ops, const MoveRequest& request, platform::HeldFolder sourceRoot,
              platform::HeldFolder driveRoot, MovePlan& plan, std::string& problem);

// "a, b, c és még 4": the first few of a list, for an error text.
std::string FirstFew(const std::vector<std::string>& items);

std::string JoinPath(const std::string& folder, const std::string& relative);

// The journal: what a run has to know to be rolled back or finished after a crash.
struct Journal {
    std::string phase;  // "copying", "registering", "deleting"
    std::string source;
    std::string target;
    std::string driveRoot;
    std::uint64_t runId = 0;  // names the run's temporary files
    bool deleteSource = false;
    bool verifyContent = false;
    std::vector<std::string> exclusions;
    std::vector<std::string> createdAncestors;
    std::vector<std::string> preexisting;  // relative paths already at the target before the run
    // A run by one rename ("renaming"): the folder renamed, and the empty folder it replaced.
    std::uint64_t folderDevice = 0, folderInode = 0;
    bool replacedEmpty = false;
    std::uint32_t replacedMode = 0;
};
std::string FormatJournal(const Journal& journal);
bool ParseJournal(const std::string& text, Journal& journal);

}  // namespace trovel::relocation
