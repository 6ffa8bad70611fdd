#include "platform/linux/directory_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        return FromDescriptor(::openat(fd_, child.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }

private:
    DIR* dir_;
    int fd_;
};

}  // namespace

std::unique_ptr<DirectoryHandle> OpenDirectoryAt(const std::string& path) {
    return FdDirectory::FromDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace trovel::platform::linux_desktop
