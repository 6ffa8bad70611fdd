#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_ops.h"

namespace trovel::relocation {

// The drive a run was asked to write to, as it was when it was chosen: a run refuses a
// drive root that is now another filesystem or another mount (the drive was unmounted, and
// its mount point is a folder on another disk again). Zero: not checked.
struct DriveIdentity {
    std::uint64_t device = 0;
    std::uint64_t mountId = 0;
    bool known() const { return device != 0 || mountId != 0; }
};

// One relocation of a folder's content. Paths are absolute POSIX paths, links resolved: no
// step of the source, the drive root, or the target below the drive root may be a link.
struct MoveRequest {
    std::string source;
    std::string target;
    std::string driveRoot = "/";  // the root of the chosen drive; the target lies below it
    DriveIdentity drive;          // what the drive root was when the drive was chosen
    bool deleteSource = false;             // move (KF_REDIRECT_DEL_SOURCE_CONTENTS), not only copy
    std::vector<std::string> exclusions;   // nested known folders: neither copied nor deleted
    std::vector<std::string> keptFolders;  // home, config, data, cache, state: never a source
    std::string journal;                   // the file that lets a killed run be rolled back or finished
    bool verifyContent = false;            // compare every copied file's content, not only its size
    // With deleteSource, where the target is on the source's filesystem and missing or an
    // empty folder, and nothing of the source stays behind: one rename, nothing copied.
    bool renameOnSameFilesystem = false;
    int workers = 2;
};

struct MoveCallbacks {
    // Registers the target as the folder's path (one atomic registry rewrite); false when it failed.
    std::function<bool()> registerTarget;
    // Why the target could not be registered, asked before the first write; empty when it can.
    std::function<std::string()> registrationProblem;
    // Bytes and files done of the totals; called from the mover's threads, one call at a time.
    std::function<void(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                       std::uint64_t filesTotal)> progress;
    // Polled between files, from the mover's threads: true stops the run, which is then rolled back.
    std::function<bool()> cancelled;
    // Told as each phase ends: "plan", "copy", "verify", "register", "delete" (for timing).
    std::function<void(const char* phase)> phaseDone;
};

enum class MoveOutcome {
    Moved,     // the target holds everything and is registered
    Same,      // the target is the source itself: nothing to do
    Refused,   // a check before the first write failed: nothing changed
    Failed,    // a fault after the first write: rolled back, nothing changed
    Cancelled, // stopped on request: rolled back, nothing changed
    Checked    // only checked, as asked: every check passed and nothing was written
};

// Why a run was refused, where the caller tells the cases apart (a script reads them as codes).
enum class MoveRefusal {
    Other,
    Conflict,     // something else is at the target under the same name
    NoRoom,       // the target's filesystem has too little free space
    Interrupted,  // a killed run's journal is still there, unsettled
};

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::Failed;
    MoveRefusal refusal = MoveRefusal::Other;  // with Refused
    std::string errorText;                // short, Hungarian, naming the cause and the path
    std::vector<std::string> keptSources; // left at the old place: new or changed during the move, or not removable
    std::vector<std::string> skipped;     // sockets, which cannot be copied
    std::uint64_t files = 0;              // entries moved (not counting folders), when Moved
    std::uint64_t bytes = 0;              // their bytes, when Moved
    std::vector<std::string> madeFolders; // the folders above the target this run made, top first
    bool Succeeded() const { return outcome == MoveOutcome::Moved || outcome == MoveOutcome::Same; }
};

// A result with no more to it than its outcome and its text.
MoveResult OutcomeOf(MoveOutcome outcome, std::string errorText = {});

// Copies the content of `source` to `target`, verifies it, registers the target and, when
// asked, deletes exactly the source entries that were copied and are unchanged since. Any
// failure before registering removes what this run created and nothing else.
MoveResult MoveFolderContent(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks);

// Every check MoveFolderContent makes before its first write, and no write: Checked when the
// move would start, Same when there is nothing to move, Refused with the reason otherwise.
MoveResult CheckFolderMove(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks);

// What the caller knows of the folder a journal must belong to before it is acted on.
struct RecoveryContext {
    // The folder's registered path now, spelled as registered and resolved.
    std::vector<std::string> registeredPaths;
    // Its earlier paths (the registered one, its default) that a run may have moved it from.
    std::vector<std::string> knownSources;
    // Whether a path lies on a drive the program offers as a target.
    std::function<bool(const std::string& path)> onOfferedDrive;
    // Its default path, as spelled and resolved: the one target a restore may have, which
    // lies in the home, not on an offered drive. Its source then must lie on an offered drive.
    std::vector<std::string> defaultPaths;
};

// Rolls back, or finishes, a run that was killed, from its journal (if there is one). A
// journal that is not the user's own private file, or names a source or target the folder
// never had, is set aside (renamed beside itself, never acted on) and reported: Refused.
// When the registry names neither the journal's source nor its target any more (the folder
// was restored or moved meanwhile), only the run's own temporary files are removed.
// No journal: Same. Rolled back: Failed (nothing changed). Finished: Moved.
MoveResult RecoverInterruptedMove(platform::FileOps& ops, const std::string& journal, const RecoveryContext& context);

// The checks on the two paths alone, for any path style: neither inside the other, and a
// source that is no drive root and holds no kept folder. Empty when they pass.
std::string CheckMovePaths(char separator, const std::string& source, const std::string& target,
                           const std::vector<std::string>& keptFolders);

}  // namespace trovel::relocation
