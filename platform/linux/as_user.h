#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/hresult.h"
#include "platform/known_folder.h"

namespace trovel::platform::linux_desktop {

// Whose rights a run uses when the program runs as root for someone else (sudo keeps HOME).
struct UserIdentity {
    uid_t uid = 0;
    gid_t gid = 0;
    std::string name;           // empty when the user has no account entry
    std::vector<gid_t> groups;  // every group of the user, the primary one among them
};

// The owner of `home` (the folder itself, not followed) when the effective user is root and
// the home belongs to someone else; nullopt when the program runs as itself, as usual.
std::optional<UserIdentity> UserToActFor(const std::string& home);

// What a run in the user's name handed back.
struct AsUserOutcome {
    HResult result = kFail;
    std::string errorText;
};

// Runs `body` in a child process that has given up root for `user` (its groups, its group,
// its uid, with no way back) before doing anything else; waits for it. The child's progress
// reaches `hooks.progress` here, and `hooks.cancelled` (polled here) reaches the child's own
// cancelled hook, as does a SIGTERM or SIGINT sent to the child. The parent's other threads
// do not exist in the child: `body` may only use what this call's thread may.
AsUserOutcome RunAsUser(const UserIdentity& user, const RedirectHooks& hooks,
                        const std::function<AsUserOutcome(const RedirectHooks& childHooks)>& body);

// Gives up root for `user` for good, in the calling process; false when any step failed
// or root could be had back.
bool DropToUser(const UserIdentity& user);

}  // namespace trovel::platform::linux_desktop
