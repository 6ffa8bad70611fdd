#pragma once

#include <string>

#include "platform/platform.h"

namespace trovel::space {

// Why an administrator's preparation of a drive was refused. Each has its own exit status
// (ExitStatusOf), for the helper and for "trovel-cli prepare".
enum class PrepareRefusal {
    None,              // 0: made, or already there
    BadArguments,      // 2
    NotAdministrator,  // 3: not run with the administrator's rights
    UnknownUser,       // 4: no such user, or the user is the administrator, or the home is unusable
    NotLocalDrive,     // 5: not a listed local fixed drive (or the system's own filesystem)
    NotMountedAtBoot,  // 6
    HoldsHome,         // 7: the home folder's drive, or the boot partition
    OutsideHome,       // 8: the folder is not the drive's copy of the user's home
    LinkOnPath,        // 9: a symbolic link, or a file, somewhere on the path
    DriveChanged,      // 10: the drive is not (or no longer) the mount that was listed; another filesystem on the path
    CannotCreate,      // 11: the system refused to make a folder or set its owner
};

int ExitStatusOf(PrepareRefusal refusal);

struct PrepareRequest {
    std::string driveRoot;  // "/mnt/data" or "/mnt/data/"
    std::string folder;     // empty: the drive's copy of the user's home; else that folder's path
    platform::UserAccount user;
    // The home the relocation starts from, when not the account's (HOME set elsewhere): it
    // must be a folder of the user's own, reached without links.
    std::string home;
};

struct PrepareOutcome {
    PrepareRefusal refusal = PrepareRefusal::None;
    bool made = false;     // false with no refusal: the folder was there already
    std::string folder;    // the folder meant, as checked
    std::string text;      // why not, in the program's language
};

// With the administrator's rights, for `request.user`: the drive must be one the drive page
// would offer (mounted at boot, local, fixed, not the home's filesystem nor the system's),
// the folder exactly the drive's copy of the user's home, plain and free of links. Missing
// folders above it belong to the administrator (0755); it to the user, with the home's mode
// (0700 when the home cannot be read). Nothing that exists is changed.
PrepareOutcome PrepareTarget(platform::Platform& platform, const PrepareRequest& request);

// A path without ".", "..", doubled or trailing separators, and absolute.
bool IsPlainAbsolutePath(const std::string& path);

}  // namespace trovel::space
