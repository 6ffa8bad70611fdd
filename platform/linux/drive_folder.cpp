#include "platform/linux/drive_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

using platform::Tr;

constexpr int kFolderOpen = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    void Reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

MadeFolders Refusal(const std::string& why, int error, const std::string& path, MadeFolders made) {
    made.ok = false;
    made.errorText = why + " (" + std::strerror(error) + "): " + path;
    return made;
}

}  // namespace

MadeFolders MakeUserFolderOnDrive(const std::string& target, uid_t uid, gid_t gid, mode_t mode) {
    MadeFolders made;
    if (target.size() < 2 || target[0] != '/' || target.back() == '/')
        return Refusal(Tr("The destination is not an absolute path"), EINVAL, target, std::move(made));
    Descriptor folder(::open("/", kFolderOpen));
    struct stat info {};
    if (folder.get() < 0 || ::fstat(folder.get(), &info) != 0)
        return Refusal(Tr("Cannot open the root folder"), errno, "/", std::move(made));
    uid_t rootOwner = info.st_uid;
    gid_t rootGroup = info.st_gid;
    dev_t device = info.st_dev;
    std::string path;
    std::size_t at = 1;
    while (at <= target.size()) {
        const std::size_t slash = target.find('/', at);
        const std::size_t end = slash == std::string::npos ? target.size() : slash;
        const std::string name = target.substr(at, end - at);
        at = end + 1;
        if (name.empty() || name == "." || name == "..")
            return Refusal(Tr("The destination's path is not plain"), EINVAL, target, std::move(made));
        path += "/" + name;
        const bool last = end == target.size();
        int next = ::openat(folder.get(), name.c_str(), kFolderOpen);
        if (next < 0 && errno == ENOENT) {
            const mode_t wanted = last ? mode : 0755;
            const bool ours = ::mkdirat(folder.get(), name.c_str(), 0700) == 0;
            if (!ours && errno != EEXIST) return Refusal(Tr("Cannot create the folder"), errno, path, std::move(made));
            next = ::openat(folder.get(), name.c_str(), kFolderOpen);
            if (next >= 0 && ours) {
                made.created.push_back(path);
                // The folders above the user's belong to whoever owns the drive; the user's to the user.
                if (::fchown(next, last ? uid : rootOwner, last ? gid : rootGroup) != 0 || ::fchmod(next, wanted) != 0) {
                    const int error = errno;
                    ::close(next);
                    return Refusal(Tr("Cannot set the folder's owner"), error, path, std::move(made));
                }
            }
        }
        if (next < 0) {
            const int error = errno;
            if (error == ELOOP || error == ENOTDIR)
                return Refusal(Tr("The destination's path leads through a link or something that is not a folder"), error, path, std::move(made));
            return Refusal(Tr("Cannot open the folder"), error, path, std::move(made));
        }
        folder.Reset(next);
        if (::fstat(folder.get(), &info) != 0) return Refusal(Tr("Cannot read the folder"), errno, path, std::move(made));
        // A folder on another file system than the one above is that drive's root.
        if (info.st_dev != device) {
            device = info.st_dev;
            rootOwner = info.st_uid;
            rootGroup = info.st_gid;
        }
    }
    made.ok = true;
    return made;
}

void RemoveEmptyFolders(const std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) ::rmdir(it->c_str());
}

}  // namespace trovel::platform::linux_desktop
