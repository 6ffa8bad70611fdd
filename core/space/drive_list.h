#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace trovel::space {

// One drive the relocation may go to, as the platform describes it.
struct OfferedDrive {
    std::string root;   // "E:\" or "/mnt/data/"
    std::string label;  // empty when it cannot be read
    platform::VolumeSpace space;  // zeros when it cannot be read
    // The user cannot make their folder there, but an administrator can make it for them
    // once (one approval at the start of the run).
    bool needsAdministrator = false;
};

// The drives a relocation may go to: the local fixed drives but the system drive, in the
// platform's order, and those left out with the reason.
struct DriveListing {
    std::vector<OfferedDrive> offered;
    std::vector<std::pair<std::string, platform::TargetRefusal>> leftOut;
};

// `systemDrive` is "C:" (the Windows folder's drive); `profilePath` the home folder, whose
// own drive frees nothing and below whose place on a drive every folder goes.
DriveListing ListOfferedDrives(platform::Platform& platform, const std::string& systemDrive,
                               const std::string& profilePath);

// Why a drive is left out, in the program's language ("nem írható").
const char* RefusalText(platform::TargetRefusal refusal);
// The note of a drive that needs an administrator's approval.
const char* NeedsAdministratorText();

}  // namespace trovel::space
