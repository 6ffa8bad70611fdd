#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "mover/content_mover.h"

namespace trovel::relocation {

inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

// One entry below the source, as it was when the move began.
struct PlanEntry {
    std::string relative;  // "Photos/2019/a.jpg"
    platform::FileInfo info;
    bool preexisting = false;  // already at the target, identical: counted as copied, never removed
    bool created = false;      // this run made it at the target
    bool keep = false;         // leads to an excluded folder: stays at the old place
    std::size_t linkOf = kNoEntry;  // a further name of the file of that entry (a hard link)
};

// Everything the move knows before its first write. Entries stand parents first.
struct MovePlan {
    std::string source;
    std::string target;
    platform::FileInfo sourceInfo;
    std::vector<PlanEntry> entries;
    std::vector<std::string> createdAncestors;  // folders made above the target, topmost first
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesTotal = 0;
    std::vector<std::string> skipped;  // sockets
};

// The entries below a source folder, parents first, leaving out the excluded folders and
// marking the folders that lead to them; and what stands in the way of moving them.
struct SourceScan {
    std::vector<PlanEntry> entries;
    std::vector<std::string> unreadable, mounts, devices, skipped;
};
SourceScan ScanSource(platform::FileOps& ops, const std::string& source, const platform::FileInfo& sourceInfo,
                      const std::vector<std::string>& exclusions);

// Lists the source below its root, leaving out the excluded folders (and marking the
// folders that lead to them); fills `problem` with a refusal text when the source cannot
// be moved whole. Looks at the target too: what is there already, and the space.
bool PlanMove(platform::FileOps& ops, const MoveRequest& request, MovePlan& plan, std::string& problem);

// "a, b, c és még 4": the first few of a list, for an error text.
std::string FirstFew(const std::vector<std::string>& items);

std::string JoinPath(const std::string& folder, const std::string& relative);

// The journal: what a run has to know to be rolled back or finished after a crash.
struct Journal {
    std::string phase;  // "copying", "registering", "deleting"
    std::string source;
    std::string target;
    bool deleteSource = false;
    bool verifyContent = false;
    std::vector<std::string> exclusions;
    std::vector<std::string> createdAncestors;
    std::vector<std::string> preexisting;  // relative paths already at the target before the run
};
std::string FormatJournal(const Journal& journal);
bool ParseJournal(const std::string& text, Journal& journal);

}  // namespace trovel::relocation
