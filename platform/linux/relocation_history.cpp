#include "platform/linux/relocation_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/run_lock.h"
#include "platform/linux/safe_file.h"

namespace trovel::platform::linux_desktop {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

constexpr const char* kFileName = "history.jsonl";

}  // namespace

std::string HistoryFile(const std::string& stateHome) { return RunLockFolder(stateHome) + "/" + kFileName; }

int AppendHistory(const std::string& stateHome, const RelocationRecord& record) {
    const std::string folder = RunLockFolder(stateHome);
    if (!MakeFolders(folder, 0700)) return errno != 0 ? errno : EACCES;
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0) return errno;
    const Fd file(::openat(dir.get(), kFileName, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                           0600));
    if (file.get() < 0) return errno;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) return EPERM;
    // One write of the whole line: with O_APPEND, lines of two runs never interleave.
    const std::string line = FormatRecord(record) + "\n";
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(file.get(), line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        written += static_cast<std::size_t>(n);
    }
    return ::fsync(file.get()) == 0 ? 0 : errno;
}

std::vector<RelocationRecord> ReadHistory(const std::string& stateHome, uid_t owner) {
    std::vector<RelocationRecord> records;
    const Fd file(::open(HistoryFile(stateHome).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return records;
    struct stat info {};
    // Someone else's file, or one others may write, steers nothing and names nothing.
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != owner || (info.st_mode & 022) != 0)
        return records;
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line cut short by a crash is no record
        if (auto record = ParseRecord(text.substr(start, end - start))) records.push_back(std::move(*record));
        start = end + 1;
    }
    return records;
}

}  // namespace trovel::platform::linux_desktop
