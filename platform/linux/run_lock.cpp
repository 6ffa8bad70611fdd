#include "platform/linux/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/safe_file.h"

namespace trovel::platform::linux_desktop {

std::string RunLockFolder(const std::string& stateHome) { return stateHome + "/trovel"; }

bool RunLockBusy(const std::string& folder, const std::string& key) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return false;
    const int fd = ::openat(dir, (key + ".lock").c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    ::close(dir);
    if (fd < 0) return false;
    int taken = 0;
    while ((taken = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    const bool busy = taken != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // lets go of the lock, when it was taken
    return busy;
}

RunLock::RunLock(const std::string& folder, const std::string& key) : path_(folder + "/" + key + ".lock") {
    const auto slash = folder.rfind('/');
    const std::string above = slash == std::string::npos || slash == 0 ? "/" : folder.substr(0, slash);
    // The folder above is the user's (~/.local/state, say); the lock's own folder is private.
    if (!MakeFolders(above, 0700) || (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)) {
        error_ = errno;
        return;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        error_ = errno;
        return;
    }
    fd_ = ::openat(dir, (key + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    error_ = errno;
    ::close(dir);
    if (fd_ < 0) return;
    struct stat info {};
    // Only a regular file is locked: never a FIFO or a device someone put in its place.
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        error_ = EINVAL;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        error_ = errno;
        status_ = errno == EWOULDBLOCK ? Status::Busy : Status::Failed;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    error_ = 0;
    status_ = Status::Held;
}

RunLock::~RunLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace trovel::platform::linux_desktop
