#include "cli/result_codes.h"

#include <string_view>

#include "cli/texts.h"

namespace trovel::cli {

ResultCode MoveCode(const relocation::FolderResult& result, bool stopped) {
    using relocation::FolderOutcome;
    if (result.cancelled) return {"cancelled", TrLater("stopped; this folder was rolled back")};
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: return {"relocated", TrLater("relocated with its content")};
        case FolderOutcome::Redirected: return {"redirected", TrLater("redirected")};
        case FolderOutcome::Skipped:
            if (stopped) return {"not-started", TrLater("skipped: stopped")};
            return {"no-destination-folder", TrLater("skipped: the destination folder does not exist")};
        case FolderOutcome::AlreadyThere: return {"already-there", TrLater("already there")};
        case FolderOutcome::Checked: return {"would-relocate", TrLater("would relocate")};
        case FolderOutcome::Failed: break;
    }
    // Without a destination nothing was called: the folder has no default path to move.
    if (result.destination.empty()) return {"no-default-path", TrLater("failed: the folder has no default path")};
    if (result.raised) return {"failed", TrLater("failed")};
    switch (result.call) {
        case platform::kBusy: return {"locked", TrLater("another run is relocating this folder")};
        case platform::kAlreadyExists: return {"conflict", TrLater("failed: other content is at the destination")};
        case platform::kDiskFull: return {"no-room", TrLater("the content does not fit on the drive")};
        case platform::kInterruptedRun: return {"interrupted", TrLater("failed: an interrupted relocation is not settled")};
        case platform::kAccessDenied: return {"refused", TrLater("refused")};
        default: return {"failed", TrLater("failed")};
    }
}

ResultCode RestoreCode(const relocation::FolderResult& result) {
    if (result.outcome == relocation::FolderOutcome::Redirected) return {"restored", TrLater("restored")};
    if (result.destination.empty()) return {"no-default-path", TrLater("failed: the folder has no default path")};
    if (result.call == platform::kBusy) return {"locked", TrLater("another run is relocating this folder")};
    return {"failed", TrLater("failed")};
}

ResultCode RestoreContentCode(const relocation::FolderResult& result, bool stopped) {
    using relocation::FolderOutcome;
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: return {"restored", TrLater("restored with its content")};
        case FolderOutcome::AlreadyThere: return {"already-there", TrLater("already there")};
        case FolderOutcome::Checked: return {"would-restore", TrLater("would restore")};
        case FolderOutcome::Skipped: return {"not-started", TrLater("skipped: stopped")};
        default: break;
    }
    if (stopped && !result.cancelled && result.call == platform::kOk) return {"not-started", TrLater("skipped: stopped")};
    if (result.call == platform::kPathNotFound)
        return {"unreachable", TrLater("failed: the folder's present place cannot be reached (is its drive mounted?)")};
    const ResultCode code = MoveCode(result, stopped);
    // The words of a move that speak of the drive speak of the home here.
    if (std::string_view(code.code) == "no-room") return {"no-room", TrLater("the content does not fit in the home folder")};
    return code;
}

ResultCode RecoverCode(platform::RecoveryOutcome outcome) {
    using platform::RecoveryOutcome;
    switch (outcome) {
        case RecoveryOutcome::Nothing: return {"nothing", TrLater("nothing to recover")};
        case RecoveryOutcome::Undone: return {"undone", TrLater("undone; the folder is where it was")};
        case RecoveryOutcome::Finished: return {"finished", TrLater("finished; the folder is at its new place")};
        case RecoveryOutcome::SetAside: return {"set-aside", TrLater("its journal was set aside, nothing was touched")};
        case RecoveryOutcome::Busy: return {"locked", TrLater("another run is relocating this folder")};
        case RecoveryOutcome::Failed: break;
    }
    return {"failed", TrLater("failed")};
}

ResultCode RefusalCode(platform::TargetRefusal refusal) {
    using platform::TargetRefusal;
    switch (refusal) {
        case TargetRefusal::HoldsHome: return {"holds-home", TrLater("the home folder's drive")};
        case TargetRefusal::SystemPartition: return {"system-partition", TrLater("the boot partition")};
        case TargetRefusal::MountedOnDemand: return {"mounted-on-demand", TrLater("not mounted at boot")};
        case TargetRefusal::NotWritable: return {"not-writable", TrLater("not writable")};
        case TargetRefusal::None: break;
    }
    return {"ok", ""};
}

ResultCode PrepareCode(space::PrepareRefusal refusal, bool made) {
    using space::PrepareRefusal;
    switch (refusal) {
        case PrepareRefusal::None:
            return made ? ResultCode{"prepared", TrLater("prepared")} : ResultCode{"already-there", TrLater("already there")};
        case PrepareRefusal::BadArguments: return {"usage", TrLater("not a drive root")};
        case PrepareRefusal::NotAdministrator: return {"not-administrator", TrLater("only an administrator can prepare a drive")};
        case PrepareRefusal::UnknownUser: return {"unknown-user", TrLater("unknown user")};
        case PrepareRefusal::NotLocalDrive: return {"not-local-drive", TrLater("not a local fixed drive")};
        case PrepareRefusal::NotMountedAtBoot: return {"mounted-on-demand", TrLater("not mounted at boot")};
        case PrepareRefusal::HoldsHome: return {"holds-home", TrLater("the home folder's drive")};
        case PrepareRefusal::OutsideHome: return {"outside-home", TrLater("not the user's place on the drive")};
        case PrepareRefusal::LinkOnPath: return {"link-on-path", TrLater("a link stands on the path")};
        case PrepareRefusal::DriveChanged: return {"drive-changed", TrLater("the drive is not the one listed")};
        case PrepareRefusal::CannotCreate: break;
    }
    return {"failed", TrLater("failed")};
}

ResultCode CapabilityCode(std::uint32_t capability, bool holdsKeptFolder) {
    if (capability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE) return {"ok", ""};
    if (holdsKeptFolder) return {"holds-kept-folder", TrLater("holds the home folder or the desktop's own folders")};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY) return {"denied-by-policy", TrLater("denied by policy")};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY_REDIRECTED)
        return {"redirected-by-policy", TrLater("redirected by policy")};
    if (capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_PERMISSIONS) return {"no-permission", TrLater("no permission")};
    return {"not-relocatable", TrLater("not relocatable")};
}

}  // namespace trovel::cli
