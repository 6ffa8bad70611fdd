#include "platform/linux/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace trovel::platform::linux_desktop {
namespace {

FileStamp StampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.owner = info.st_uid;
    stamp.group = info.st_gid;
    stamp.mode = info.st_mode;
    return stamp;
}

}  // namespace

int WriteAll(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;  // a write that writes nothing would loop for ever
        data += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return 0;
}

namespace {

// Gives the new file the owner, group and mode of the one it replaces. Readers that
// run as the user must still read it, so an owner that cannot be kept is a failure.
bool TakeOverIdentity(int fd, const FileStamp& original) {
    if (!original.exists) return ::fchmod(fd, 0600) == 0;
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) return false;
    if ((mine.st_uid != original.owner || mine.st_gid != original.group) &&
        ::fchown(fd, original.owner, original.group) != 0)
        return false;
    return ::fchmod(fd, original.mode & 07777) == 0;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some filesystems cannot sync a folder; the rename has happened either way
    ::close(fd);
}

}  // namespace

bool FileStamp::SameFileAs(const FileStamp& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

FileRead ReadRegularFile(const std::string& file) {
    FileRead result;
    // Non-blocking, so that a FIFO put in the file's place cannot hang the open.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        if (errno == ENOENT) {
            struct stat link {};
            // A dangling link is not nothing: it is a registry that cannot be read.
            if (::lstat(file.c_str(), &link) == 0) result.status = ReadStatus::Unreadable;
        }
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.stamp = StampFrom(info);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        result.status = ReadStatus::NotRegular;
        return result;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            result.text.clear();
            result.status = ReadStatus::Unreadable;
            return result;
        }
        if (n == 0) break;
        result.text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    result.status = ReadStatus::Read;
    return result;
}

std::optional<std::string> ReadWholeFile(const std::string& file) {
    FileRead read = ReadRegularFile(file);
    if (read.status != ReadStatus::Read) return std::nullopt;
    return std::move(read.text);
}

FileStamp StampOf(const std::string& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {};
    return StampFrom(info);
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at == folder.size() || folder[at] == '/') {
            const std::string part = folder.substr(0, at);
            if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
        }
    }
    return IsDirectory(folder);
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

ReplaceResult ReplaceFileAtomically(const std::string& file, const std::string& content, const FileStamp& original) {
    const auto slash = file.rfind('/');
    if (slash == std::string::npos) return ReplaceResult::Failed;
    const std::string folder = slash == 0 ? "/" : file.substr(0, slash);
    if (!MakeFolders(folder, 0700)) return ReplaceResult::Failed;
    std::string temp = file + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return ReplaceResult::Failed;
    bool ok = TakeOverIdentity(fd, original) && WriteAll(fd, content.data(), content.size(), 0) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && !StampOf(file).SameFileAs(original)) {
        ::unlink(temp.c_str());
        return ReplaceResult::Changed;
    }
    ok = ok && ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return ReplaceResult::Failed;
    }
    SyncFolder(folder);
    return ReplaceResult::Replaced;
}

bool ReplaceFileAtomically(const std::string& file, const std::string& content) {
    return ReplaceFileAtomically(file, content, StampOf(file)) == ReplaceResult::Replaced;
}

}  // namespace trovel::platform::linux_desktop
