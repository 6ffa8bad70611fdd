#pragma once

#include "mover/content_mover.h"
#include "mover/move_plan.h"

namespace trovel::relocation {

// Whether the planned move can be one rename of the whole folder: the old content is to go,
// nothing of it stays behind (no excluded folder inside), the target's folder above is there
// on the source's filesystem, and the target is missing or an empty folder (`at` holds the
// target when it is there). Writes nothing.
bool CanRenameWhole(platform::FileOps& ops, const MoveRequest& request, const MovePlan& plan, platform::HeldFolder at);

// The move as one rename, journaled: the folder is renamed to the target (replacing the empty
// folder there), checked to be the folder planned, and registered; any failure renames it back
// and makes the empty folder again. Nothing is copied, so nothing is left at the old place.
MoveResult RenameWholeFolder(platform::FileOps& ops, const MoveRequest& request, const MoveCallbacks& callbacks,
                             const MovePlan& plan, platform::HeldFolder driveRoot);

// After a crash in such a run: renamed back while the registry still names the old place,
// left as it is once the new place is registered. Refused when neither place holds the folder
// the journal names.
MoveResult RecoverRename(platform::FileOps& ops, const std::string& journalPath, const Journal& journal,
                         bool sourceRegistered, bool targetRegistered);

}  // namespace trovel::relocation
