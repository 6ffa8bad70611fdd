#pragma once

#include <sys/types.h>

#include <string>

#include "platform/platform.h"

namespace trovel::platform::linux_desktop {

// Opens the folder at `path` (absolute, plain) walking from "/" with O_NOFOLLOW at every
// step; -1 with errno set when it cannot (ELOOP or ENOTDIR: a link or a file on the way).
int OpenFolderWithoutLinks(const std::string& path);

// With root's rights: makes the folders of `relative` ("home/anna", plain, not empty) below
// the held drive root `rootFd`, each with mkdirat from the descriptor of the one above and
// opened O_NOFOLLOW. Folders made above the last belong to root, mode 0755; the last to
// `uid`:`gid` with `mode`. An existing folder is never given another owner or mode. What it
// made is taken away again when a later step fails.
PreparedFolder MakeFoldersBelow(int rootFd, const std::string& relative, uid_t uid, gid_t gid, mode_t mode,
                                std::string& errorText);

// The account by login name or decimal uid, from the system's user database.
bool LookUpAccount(const std::string& nameOrId, UserAccount& account);

}  // namespace trovel::platform::linux_desktop
