// The administrator's part of a relocation on Linux: the folder made on a drive the user
// cannot write, by root, and the way a user asks for it (pkexec and the helper).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/drive_preparation.h"
#include "platform/linux/linux_platform.h"
#include "platform/messages.h"
#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {

bool LinuxSystem::IsAdministrator() { return ::geteuid() == 0; }

// Root can make a folder on any drive that is mounted writable, and only writable mounts are
// listed; the question is only whether someone can be asked (or told to run the command).
bool LinuxSystem::AdministratorCanPrepare() { return true; }

bool LinuxSystem::UserAccountOf(const std::string& nameOrId, UserAccount& account) {
    return LookUpAccount(nameOrId.empty() ? std::to_string(::getuid()) : nameOrId, account);
}

bool LinuxSystem::OwnedFolderMode(const std::string& path, std::uint32_t uid, std::uint32_t& mode) {
    mode = 0;
    const int fd = OpenFolderWithoutLinks(path);
    if (fd < 0) return false;
    struct stat info {};
    const bool owned = ::fstat(fd, &info) == 0 && info.st_uid == uid;
    ::close(fd);
    if (owned) mode = info.st_mode & 07777;
    return owned;
}

PreparedFolder LinuxSystem::PrepareFolderForUser(const FolderForUser& request, std::string& errorText) {
    errorText.clear();
    const std::string& root = request.driveRoot;
    if (root.size() < 2 || root.front() != '/' || root.back() != '/' || request.folder.size() <= root.size() ||
        request.folder.compare(0, root.size(), root) != 0) {
        errorText = Tr("The folder does not lie on the drive");
        return PreparedFolder::Failed;
    }
    const auto& volumes = Volumes();
    const auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == root; });
    if (volume == volumes.end() || volume->type != DriveType::Fixed) {
        errorText = Tr("The drive is not listed");
        return PreparedFolder::DriveChanged;
    }
    const int fd = OpenFolderWithoutLinks(WithoutTrailingSeparators(PathStyle::Posix, root));
    if (fd < 0) {
        const int error = errno;
        errorText = Tr("Cannot open the drive") + (": " + root);
        return error == ELOOP || error == ENOTDIR ? PreparedFolder::LinkOnPath : PreparedFolder::DriveChanged;
    }
    // The folder held must be the listed mount's root itself, not what lies under it or took its place.
    struct statx info {};
    bool same = ::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) == 0 && (info.stx_mask & STATX_MNT_ID) != 0 &&
                volume->mountId != 0 && info.stx_mnt_id == volume->mountId;
    if (same && (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        same = (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    if (!same) {
        ::close(fd);
        errorText = Tr("The drive is no longer the one listed") + (": " + root);
        return PreparedFolder::DriveChanged;
    }
    const PreparedFolder result = MakeFoldersBelow(fd, request.folder.substr(root.size()), request.uid, request.gid,
                                                   request.mode, errorText);
    ::close(fd);
    return result;
}

Approval LinuxSystem::AskAdministratorToPrepare(const std::string& driveRoot, const std::string& folder,
                                                std::string& text) {
    text.clear();
    if (!elevate_ && !AuthenticationAgentLikely()) return Approval::NoAgent;
    const std::vector<std::string> argv{kPkexec, PrepareHelperPath(), "--home", env_.home, "--", driveRoot, folder};
    std::string errors;
    const int status = elevate_ ? elevate_(argv, errors) : RunProgram(argv, errors);
    if (status == 0) return Approval::Given;
    // pkexec's own: 126 when nobody authorised it (declined or cancelled), 127 when it could not run it.
    if (status == 126) {
        text = Tr("administrator approval was refused");
        return Approval::Refused;
    }
    text = errors.empty() ? Fill(Tr("the helper that prepares the drive failed (status %1)"), {std::to_string(status)})
                          : errors;
    return Approval::HelperRefused;
}

}  // namespace trovel::platform::linux_desktop
