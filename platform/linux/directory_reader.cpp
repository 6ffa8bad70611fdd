#include "platform/linux/directory_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trovel::platform::linux_desktop {
namespace {

class FdDirectory : public DirectoryHandle {
public:
    explicit FdDirectory(DIR* dir) : dir_(dir), fd_(::dirfd(dir)) {}
    ~FdDirectory() override { ::closedir(dir_); }
    FdDirectory(const FdDirectory&) = delete;
    FdDirectory& operator=(const FdDirectory&) = delete;

    static std::unique_ptr<DirectoryHandle> FromDescriptor(int fd) {
        if (fd < 0) return nullptr;
        DIR* dir = ::fdopendir(fd);
        if (dir == nullptr) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<FdDirectory>(dir);
    }

    bool Next(TreeEntry& entry) override {
        while (const dirent* found = ::readdir(dir_)) {
            entry.name = found->d_name;
            entry.size = 0;
            // A directory's own size is never used, so it costs no stat.
            if (found->d_type == DT_DIR) {
                entry.directory = true;
                return true;
            }
            struct stat info {};
            if (::fstatat(fd_, found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                // Gone since it was listed, or unreadable: a file of 0 bytes, as a listing shows it.
                entry.directory = false;
                return true;
            }
            entry.directory = S_ISDIR(info.st_mode);
            entry.size = entry.directory ? 0 : static_cast<std::int64_t>(info.st_size);
            return true;
        }
        return false;
    }

    std::unique_ptr<DirectoryHandle> OpenChild(std::string_view name) override {
        const std::string child(name);
        const int fd = ::openat(fd_, child.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        outOfHandles_ = fd < 0 && (errno == EMFILE || errno == ENFILE);
        auto handle = FromDescriptor(fd);
        if (!handle && fd >= 0) outOfHandles_ = errno == EMFILE || errno == ENFILE || errno == ENOMEM;
        return handle;
    }

    bool LastOpenRanOutOfHandles() const override { return outOfHandles_; }

    // The mount, not only the device: a bind mount of a folder inside itself shares its device.
    std::uint64_t FilesystemId() const override {
        struct statx info {};
        if (::statx(fd_, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID, &info) == 0 &&
            (info.stx_mask & STATX_MNT_ID) != 0)
            return info.stx_mnt_id + 1;
        struct stat fallback {};
        if (::fstat(fd_, &fallback) != 0) return 0;
        return static_cast<std::uint64_t>(fallback.st_dev) + 1;
    }

private:
    DIR* dir_;
    int fd_;
    bool outOfHandles_ = false;
};

}  // namespace

std::unique_ptr<DirectoryHandle> OpenDirectoryAt(const std::string& path) {
    return FdDirectory::FromDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace trovel::platform::linux_desktop
