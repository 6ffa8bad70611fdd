#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace trovel::platform::linux_desktop {

struct MadeFolders {
    bool ok = false;
    std::string errorText;             // Hungarian, naming the path, when not ok
    std::vector<std::string> created;  // the folders this call made, top first
};

// With root's rights, for a run in a user's name: makes the missing folders down to `target`
// (absolute, normalised, links resolved), each with mkdirat from a held descriptor of the one
// above, opened O_NOFOLLOW|O_DIRECTORY at every step, so a symbolic link anywhere on the way
// refuses the whole path. The folders above the target belong to the owner of the drive's
// root (the mount point the path crosses last), mode 0755; the target to `uid`:`gid`, mode
// `mode`. A folder that exists is never given another owner or mode.
MadeFolders MakeUserFolderOnDrive(const std::string& target, uid_t uid, gid_t gid, mode_t mode);

// Removes the folders of `created` that are empty, deepest first (what a failed run left).
void RemoveEmptyFolders(const std::vector<std::string>& created);

}  // namespace trovel::platform::linux_desktop
