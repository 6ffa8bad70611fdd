#include "platform/linux/posix_file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/linux/safe_file.h"
#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

constexpr std::size_t kChunk = 1 << 20;

std::int64_t Nanoseconds(const timespec& time) { return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec; }

timespec FromNanoseconds(std::int64_t ns) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(ns / 1000000000);
    time.tv_nsec = static_cast<long>(ns % 1000000000);
    if (time.tv_nsec < 0) {
        time.tv_nsec += 1000000000;
        --time.tv_sec;
    }
    return time;
}

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Directory;
    if (S_ISLNK(mode)) return FileKind::Symlink;
    if (S_ISFIFO(mode)) return FileKind::Fifo;
    if (S_ISSOCK(mode)) return FileKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::Device;
    return FileKind::Other;
}

// Closes a descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.Release();
        }
        return *this;
    }
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    int get() const { return fd_; }
    // Hands the descriptor over: it is no longer closed here.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now, reporting a failure of the close itself (a delayed write error).
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Copies [at, at + length) of `in` to the same place in `out`: in the kernel when it can,
// else through a buffer.
// One copy buffer per thread, made once: a fresh zeroed megabyte for every small file
// would cost more than the file.
char* CopyBuffer() {
    thread_local std::unique_ptr<char[]> buffer(new char[kChunk]);
    return buffer.get();
}

int CopyRange(int in, int out, off_t at, off_t length, const std::function<void(std::uint64_t)>& copied,
              bool& kernelCopy) {
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(length, static_cast<off_t>(kChunk)));
        ssize_t n = -1;
        if (kernelCopy) {
            loff_t from = at, to = at;
            n = ::copy_file_range(in, &from, out, &to, want, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                          errno == EBADF || errno == ETXTBSY)) {
                kernelCopy = false;  // across file systems, or not offered: copy through a buffer
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
        } else {
            char* buffer = CopyBuffer();
            n = ::pread(in, buffer, want, at);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            if (n > 0) {
                if (const int error = WriteAll(out, buffer, static_cast<std::size_t>(n), at); error != 0) return error;
            }
        }
        if (n == 0) return EIO;  // the file shrank under us: the caller's check sees the change
        at += n;
        length -= n;
        if (copied) copied(static_cast<std::uint64_t>(n));
    }
    return 0;
}

int CopyContent(int in, int out, off_t size, bool sparse, const std::function<void(std::uint64_t)>& copied) {
    if (size == 0) return 0;
    // A clone shares the blocks: instant, and takes no room.
    if (::ioctl(out, FICLONE, in) == 0) {
        if (copied) copied(static_cast<std::uint64_t>(size));
        return 0;
    }
    bool kernelCopy = true;
    if (!sparse) return CopyRange(in, out, 0, size, copied, kernelCopy);  // no holes to look for
    off_t at = 0;
    while (at < size) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO) break;  // only a hole is left
        if (data < 0) data = at;                 // no hole support: copy everything
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0 || hole > size) hole = size;
        if (hole <= data) hole = size;
        if (const int error = CopyRange(in, out, data, hole - data, copied, kernelCopy); error != 0)
            return error;
        at = hole;
    }
    // Holes at the end are made by the length alone.
    if (::ftruncate(out, size) != 0) return errno;
    return 0;
}


// Copies every extended attribute, the access lists among them (which set the mode bits as
// well). A target without attributes, or a namespace only the system may set, is passed
// over: the data is what matters, as cp -a goes on without them too.
template <typename List, typename Get, typename Set>
int CopyAttributes(List list, Get get, Set set) {
    const ssize_t listed = list(nullptr, 0);
    if (listed <= 0) return 0;
    std::vector<char> names(static_cast<std::size_t>(listed));
    const ssize_t got = list(names.data(), names.size());
    for (ssize_t at = 0; got > 0 && at < got;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t length = get(name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(length));
        const ssize_t read = get(name, value.data(), value.size());
        if (read < 0) continue;
        if (set(name, value.data(), static_cast<std::size_t>(read)) != 0 && errno != EOPNOTSUPP && errno != EPERM &&
            errno != ENOTSUP)
            return errno;
    }
    return 0;
}

// The metadata of a regular file, through its descriptors, in cp -a's order.
int SetMetadata(int in, int out, const FileInfo& like) {
    if (::fchown(out, like.owner, like.group) != 0 && errno != EPERM) return errno;
    const int copiedAttributes = CopyAttributes(
        [&](char* names, std::size_t size) { return ::flistxattr(in, names, size); },
        [&](const char* name, void* value, std::size_t size) { return ::fgetxattr(in, name, value, size); },
        [&](const char* name, const void* value, std::size_t size) { return ::fsetxattr(out, name, value, size, 0); });
    if (copiedAttributes != 0) return copiedAttributes;
    if (::fchmod(out, like.mode) != 0) return errno;
    const timespec times[2] = {FromNanoseconds(like.accessedNs), FromNanoseconds(like.modifiedNs)};
    return ::futimens(out, times) == 0 ? 0 : errno;
}

int Handle(HeldFolder folder) { return static_cast<int>(folder.handle); }

void FillInfo(const struct stat& raw, FileInfo& info) {
    info.kind = KindOf(raw.st_mode);
    info.device = raw.st_dev;
    info.inode = raw.st_ino;
    info.links = raw.st_nlink;
    info.size = static_cast<std::uint64_t>(raw.st_size);
    info.allocated = static_cast<std::uint64_t>(raw.st_blocks) * 512;
    info.mode = raw.st_mode & 07777;
    info.owner = raw.st_uid;
    info.group = raw.st_gid;
    info.rdev = raw.st_rdev;
    info.blockDevice = S_ISBLK(raw.st_mode);
    info.modifiedNs = Nanoseconds(raw.st_mtim);
    info.changedNs = Nanoseconds(raw.st_ctim);
    info.accessedNs = Nanoseconds(raw.st_atim);
}

// The held folder as fstat sees it, with the id of the mount it was reached through.
int StatDescriptor(int fd, FileInfo& info) {
    struct stat raw {};
    info = {};
    if (::fstat(fd, &raw) != 0) return errno;
    FillInfo(raw, info);
    struct statx extended {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &extended) == 0 &&
        (extended.stx_mask & STATX_MNT_ID) != 0)
        info.mountId = extended.stx_mnt_id;
    return 0;
}

// Opens a regular file in a held folder for reading: never through a link, never blocking
// on a FIFO swapped in, and only when it is still `expected` (kReplacedMeanwhile otherwise).
int OpenRegular(HeldFolder parent, const std::string& name, const FileInfo* expected, Fd& file) {
    const int fd = ::openat(Handle(parent), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    file = Fd(fd);
    struct stat raw {};
    if (::fstat(fd, &raw) != 0) return errno;
    if (!S_ISREG(raw.st_mode)) return EINVAL;
    if (expected != nullptr && (raw.st_dev != expected->device || raw.st_ino != expected->inode)) return kReplacedMeanwhile;
    return 0;
}

}  // namespace

int PosixFileOps::OpenPath(const std::string& path, HeldFolder& folder, FileInfo& info) {
    folder = {};
    if (!path.starts_with('/')) return EINVAL;
    Fd at(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (at.get() < 0) return errno;
    std::vector<std::string> steps;
    for (std::size_t start = 1; start <= path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string step = path.substr(start, slash - start);
        if (step == "..") return EINVAL;  // a path is taken as spelled: no step leads back up
        if (!step.empty() && step != ".") steps.push_back(step);
        start = slash + 1;
    }
    // Every step but the last is only passed through; the last is opened to be listed and written.
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const bool last = i + 1 == steps.size();
        const int flags = (last ? O_RDONLY : O_PATH) | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        const int next = ::openat(at.get(), steps[i].c_str(), flags);
        if (next < 0) {
            const int error = errno;
            struct stat raw {};
            // A link anywhere on the way is refused as such, whatever it points at.
            if ((error == ENOTDIR || error == ELOOP) && ::fstatat(at.get(), steps[i].c_str(), &raw, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(raw.st_mode))
                return ELOOP;
            return error;
        }
        at = Fd(next);
    }
    if (steps.empty()) at = Fd(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (at.get() < 0) return errno;
    if (const int error = StatDescriptor(at.get(), info); error != 0) return error;
    folder.handle = at.Release();
    return 0;
}

int PosixFileOps::OpenChild(HeldFolder parent, const std::string& name, const FileInfo& expected, HeldFolder& folder) {
    folder = {};
    const int fd = ::openat(Handle(parent), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ENOTDIR || errno == ELOOP ? kReplacedMeanwhile : errno;
    Fd held(fd);
    struct stat raw {};
    if (::fstat(fd, &raw) != 0) return errno;
    if (raw.st_dev != expected.device || raw.st_ino != expected.inode) return kReplacedMeanwhile;
    folder.handle = held.Release();
    return 0;
}

void PosixFileOps::Close(HeldFolder folder) {
    if (folder.valid()) ::close(Handle(folder));
}

int PosixFileOps::StatHeld(HeldFolder folder, FileInfo& info) { return StatDescriptor(Handle(folder), info); }

int PosixFileOps::Stat(HeldFolder parent, const std::string& name, FileInfo& info) {
    struct stat raw {};
    info = {};
    if (::fstatat(Handle(parent), name.c_str(), &raw, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return 0;  // Missing
        return errno;
    }
    FillInfo(raw, info);
    if (info.kind == FileKind::Symlink) {
        std::vector<char> target(static_cast<std::size_t>(raw.st_size > 0 ? raw.st_size : 255) + 1);
        const ssize_t n = ::readlinkat(Handle(parent), name.c_str(), target.data(), target.size());
        if (n < 0) return errno;
        info.linkTarget.assign(target.data(), static_cast<std::size_t>(n));
    }
    return 0;
}

int PosixFileOps::List(HeldFolder folder, std::vector<std::string>& names) {
    names.clear();
    // A descriptor of its own for the listing, which readdir's position then belongs to.
    const int fd = ::openat(Handle(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
        errno = 0;
    }
    const int error = errno;  // a failed readdir is not the end of the listing
    ::closedir(dir);
    return error;
}

int PosixFileOps::CheckReadable(HeldFolder parent, const std::string& name, FileKind kind) {
    if (kind == FileKind::Symlink || kind == FileKind::Socket || kind == FileKind::Fifo || kind == FileKind::Device)
        return 0;  // nothing is read from them
    const int mode = kind == FileKind::Directory ? R_OK | X_OK : R_OK;
    return ::faccessat(Handle(parent), name.c_str(), mode, AT_EACCESS) == 0 ? 0 : errno;
}

int PosixFileOps::MakeDirectory(HeldFolder parent, const std::string& name) {
    return ::mkdirat(Handle(parent), name.c_str(), 0700) == 0 ? 0 : errno;
}

std::string PosixFileOps::TemporaryName(std::uint64_t runId, const FileInfo& like) {
    return ".trovel-" + std::to_string(runId) + "-" + std::to_string(like.inode) + ".part";
}

int PosixFileOps::CopyFile(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                           const std::string& toName, const FileInfo& like,
                           const std::function<void(std::uint64_t)>& copied) {
    Fd in(-1);
    if (const int error = OpenRegular(fromParent, fromName, &like, in); error != 0) return error;
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) return errno;
    // Written under a temporary name beside its place, then renamed without replacing, as
    // rsync does. (An unnamed O_TMPFILE file would need no rename, but its orphan list makes
    // two writers on ext4 slower than one.)
    const std::string temporary = TemporaryName(RunId(), like);
    Fd out(::openat(Handle(toParent), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) return errno;
    const bool sparse = static_cast<std::uint64_t>(info.st_blocks) * 512 < static_cast<std::uint64_t>(info.st_size);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);  // a larger read-ahead, as cp asks for
    int error = CopyContent(in.get(), out.get(), info.st_size, sparse, copied);
    // A large file starts going to the disk now, while the next ones are copied, rather than
    // all at once in the flush before the check: the two overlap. (Only a start; the flush
    // still waits for all of it.)
    constexpr off_t kWriteOutFrom = 4 << 20;
    if (error == 0 && info.st_size >= kWriteOutFrom) ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (error == 0) error = SetMetadata(in.get(), out.get(), like);
    if (const int closed = out.Close(); error == 0) error = closed;
    const int at = Handle(toParent);
    if (error == 0 && ::renameat2(at, temporary.c_str(), at, toName.c_str(), RENAME_NOREPLACE) != 0) {
        error = errno;
        // A file system without RENAME_NOREPLACE: a hard link refuses an existing name as well.
        if ((error == EINVAL || error == ENOSYS) && ::linkat(at, temporary.c_str(), at, toName.c_str(), 0) == 0)
            error = 0;
    }
    ::unlinkat(at, temporary.c_str(), 0);  // after a rename nothing is left; else nothing half-written stays
    return error;
}

int PosixFileOps::MakeSymlink(const std::string& linkTarget, HeldFolder parent, const std::string& name) {
    return ::symlinkat(linkTarget.c_str(), Handle(parent), name.c_str()) == 0 ? 0 : errno;
}

int PosixFileOps::MakeNode(HeldFolder parent, const std::string& name, const FileInfo& like) {
    mode_t type = S_IFIFO;
    if (like.kind == FileKind::Device) type = like.blockDevice ? S_IFBLK : S_IFCHR;
    return ::mknodat(Handle(parent), name.c_str(), type | 0600, static_cast<dev_t>(like.rdev)) == 0 ? 0 : errno;
}

int PosixFileOps::HardLink(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                           const std::string& toName) {
    return ::linkat(Handle(fromParent), fromName.c_str(), Handle(toParent), toName.c_str(), 0) == 0 ? 0 : errno;
}

int PosixFileOps::RenameFolder(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                               const std::string& toName, bool overEmptyFolder) {
    // Without RENAME_NOREPLACE the kernel replaces only an empty folder (ENOTEMPTY, ENOTDIR
    // or EISDIR otherwise): nothing with content is ever lost.
    return ::renameat2(Handle(fromParent), fromName.c_str(), Handle(toParent), toName.c_str(),
                       overEmptyFolder ? 0u : RENAME_NOREPLACE) == 0
               ? 0
               : errno;
}

int PosixFileOps::CopyMetadata(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                               const std::string& toName, const FileInfo& like) {
    const timespec times[2] = {FromNanoseconds(like.accessedNs), FromNanoseconds(like.modifiedNs)};
    const int to = Handle(toParent);
    if (like.kind == FileKind::Directory || like.kind == FileKind::Regular) {
        // Through descriptors of both, so that the attributes are read from, and set on, what was checked.
        const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (like.kind == FileKind::Directory ? O_DIRECTORY : 0);
        // A link or another kind of entry now in place of the one checked: replaced meanwhile.
        const auto openError = [] { return errno == ELOOP || errno == ENOTDIR ? kReplacedMeanwhile : errno; };
        Fd out(::openat(to, toName.c_str(), flags));
        if (out.get() < 0) return openError();
        Fd in(fromParent.valid() ? ::openat(Handle(fromParent), fromName.c_str(), flags) : -1);
        if (fromParent.valid() && in.get() < 0) return openError();
        if (in.get() >= 0) {
            struct stat raw {};
            if (::fstat(in.get(), &raw) != 0) return errno;
            if (raw.st_dev != like.device || raw.st_ino != like.inode) return kReplacedMeanwhile;
            return SetMetadata(in.get(), out.get(), like);
        }
        if (::fchown(out.get(), like.owner, like.group) != 0 && errno != EPERM) return errno;
        if (::fchmod(out.get(), like.mode) != 0) return errno;
        return ::futimens(out.get(), times) == 0 ? 0 : errno;
    }
    // Links, FIFOs and devices: by name in their own new folder, which nobody else writes in.
    if (::fchownat(to, toName.c_str(), like.owner, like.group, AT_SYMLINK_NOFOLLOW) != 0 && errno != EPERM) return errno;
    if (like.kind != FileKind::Symlink) {
        struct stat raw {};
        if (::fstatat(to, toName.c_str(), &raw, AT_SYMLINK_NOFOLLOW) != 0) return errno;
        if (S_ISLNK(raw.st_mode)) return kReplacedMeanwhile;
        if (::fchmodat(to, toName.c_str(), like.mode, 0) != 0) return errno;
    }
    return ::utimensat(to, toName.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

int PosixFileOps::Remove(HeldFolder parent, const std::string& name, FileKind kind) {
    const int flags = kind == FileKind::Directory ? AT_REMOVEDIR : 0;
    return ::unlinkat(Handle(parent), name.c_str(), flags) == 0 ? 0 : errno;
}

int PosixFileOps::Sync(HeldFolder folder) { return ::syncfs(Handle(folder)) == 0 ? 0 : errno; }

int PosixFileOps::FreeSpace(HeldFolder folder, std::uint64_t& bytes) {
    struct statvfs info {};
    bytes = 0;
    if (::fstatvfs(Handle(folder), &info) != 0) return errno;
    bytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    return 0;
}

int PosixFileOps::Hash(HeldFolder parent, const std::string& name, std::uint64_t& hash) {
    Fd file(-1);
    if (const int error = OpenRegular(parent, name, nullptr, file); error != 0) return error;
    std::vector<unsigned char> buffer(kChunk);
    hash = 1469598103934665603ull;  // FNV-1a, 64 bits
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        for (ssize_t i = 0; i < n; ++i) hash = (hash ^ buffer[static_cast<std::size_t>(i)]) * 1099511628211ull;
    }
}

int PosixFileOps::WriteRecord(const std::string& path, const std::string& content) {
    return ReplaceFileAtomically(path, content) ? 0 : EIO;
}

int PosixFileOps::ReadRecord(const std::string& path, std::string& content) {
    content.clear();
    Fd file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return errno == ELOOP ? EPERM : errno;
    struct stat raw {};
    if (::fstat(file.get(), &raw) != 0) return errno;
    // Only a file this user wrote for itself may steer a run: not a link, a FIFO, or a file
    // someone else could have written.
    if (!S_ISREG(raw.st_mode) || raw.st_uid != ::geteuid() || (raw.st_mode & 077) != 0) return EPERM;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        content.append(buffer, static_cast<std::size_t>(n));
    }
}

int PosixFileOps::RemoveRecord(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

int PosixFileOps::SetRecordAside(const std::string& path, const std::string& asidePath) {
    return ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, asidePath.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

bool PosixFileOps::MayMakeDevices() { return ::geteuid() == 0; }

std::uint64_t PosixFileOps::RunId() { return static_cast<std::uint64_t>(::getpid()); }

std::string PosixFileOps::ErrorText(int error) {
    if (error == kReplacedMeanwhile) return platform::Tr("replaced meanwhile");
    return std::strerror(error);
}

}  // namespace trovel::platform::linux_desktop
