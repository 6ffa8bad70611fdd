#include "cli/result_codes.h"

#include <string_view>

namespace trovel::cli {

ResultCode MoveCode(const relocation::FolderResult& result, bool stopped) {
    using relocation::FolderOutcome;
    if (result.cancelled) return {"cancelled", "stopped; this folder was rolled back"};
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: return {"relocated", "relocated with its content"};
        case FolderOutcome::Redirected: return {"redirected", "redirected"};
        case FolderOutcome::Skipped:
            if (stopped) return {"not-started", "skipped: stopped"};
            return {"no-destination-folder", "skipped: the destination folder does not exist"};
        case FolderOutcome::AlreadyThere: return {"already-there", "already there"};
        case FolderOutcome::Checked: return {"would-relocate", "would relocate"};
        case FolderOutcome::Failed: break;
    }
    // Without a destination nothing was called: the folder has no default path to move.
    if (result.destination.empty()) return {"no-default-path", "failed: the folder has no default path"};
    if (result.raised) return {"failed", "failed"};
    switch (result.call) {
        case platform::kBusy: return {"locked", "another run is relocating this folder"};
        case platform::kAlreadyExists: return {"conflict", "failed: other content is at the destination"};
        case platform::kDiskFull: return {"no-room", "the content does not fit on the drive"};
        case platform::kInterruptedRun: return {"interrupted", "failed: an interrupted relocation is not settled"};
        case platform::kAccessDenied: return {"refused", "refused"};
        default: return {"failed", "failed"};
    }
}

ResultCode RestoreCode(const relocation::FolderResult& result) {
    if (result.outcome == relocation::FolderOutcome::Redirected) return {"restored", "restored"};
    if (result.destination.empty()) return {"no-default-path", "failed: the folder has no default path"};
    if (result.call == platform::kBusy) return {"locked", "another run is relocating this folder"};
    return {"failed", "failed"};
}

ResultCode RestoreContentCode(const relocation::FolderResult& result, bool stopped) {
    using relocation::FolderOutcome;
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: return {"restored", "restored with its content"};
        case FolderOutcome::AlreadyThere: return {"already-there", "already there"};
        case FolderOutcome::Checked: return {"would-restore", "would restore"};
        case FolderOutcome::Skipped: return {"not-started", "skipped: stopped"};
        default: break;
    }
    if (stopped && !result.cancelled && result.call == platform::kOk) return {"not-started", "skipped: stopped"};
    if (result.call == platform::kPathNotFound)
        return {"unreachable", "failed: the folder's present place cannot be reached (is its drive mounted?)"};
    const ResultCode code = MoveCode(result, stopped);
    // The words of a move that speak of the drive speak of the home here.
    if (std::string_view(code.code) == "no-room") return {"no-room", "the content does not fit in the home folder"};
    return code;
}

ResultCode RecoverCode(platform::RecoveryOutcome outcome) {
    using platform::RecoveryOutcome;
    switch (outcome) {
        case RecoveryOutcome::Nothing: return {"nothing", "nothing to recover"};
        case RecoveryOutcome::Undone: return {"undone", "undone; the folder is where it was"};
        case RecoveryOutcome::Finished: return {"finished", "finished; the folder is at its new place"};
        case RecoveryOutcome::SetAside: return {"set-aside", "its journal was set aside, nothing was touched"};
        case RecoveryOutcome::Busy: return {"locked", "another run is relocating this folder"};
        case RecoveryOutcome::Failed: break;
    }
    return {"failed", "failed"};
}

ResultCode RefusalCode(platform::TargetRefusal refusal) {
    using platform::TargetRefusal;
    switch (refusal) {
        case TargetRefusal::HoldsHome: return {"holds-home", "the home folder's drive"};
        case TargetRefusal::SystemPartition: return {"system-partition", "the boot partition"};
        case TargetRefusal::MountedOnDemand: return {"mounted-on-demand", "not mounted at boot"};
        case TargetRefusal::NotWritable: return {"not-writable", "not writable"};
        case TargetRefusal::None: break;
    }
    return {"ok", ""};
}

ResultCode CapabilityCode(std::uint32_t capability, bool holdsKeptFolder) {
    if (capability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE) return {"ok", ""};
    if (holdsKeptFolder) return {"holds-kept-folder", "holds the home folder or the desktop's own folders"};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY) return {"denied-by-policy", "denied by policy"};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY_REDIRECTED)
        return {"redirected-by-policy", "redirected by policy"};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_PERMISSIONS) return {"no-permission", "no permission"};
    return {"not-relocatable", "not relocatable"};
}

}  // namespace trovel::cli
