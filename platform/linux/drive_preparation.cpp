#include "platform/linux/drive_preparation.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

constexpr int kFolderOpen = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The plain names of a path: none empty, "." or ".."; false otherwise.
bool PlainNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        std::string name = path.substr(at, end - at);
        if (name.empty() || name == "." || name == "..") return false;
        names.push_back(std::move(name));
        at = end + 1;
    }
    return true;
}

PreparedFolder Refused(PreparedFolder why, const std::string& words, int error, std::string& errorText) {
    errorText = words;
    if (error != 0) errorText += std::string(" (") + std::strerror(error) + ")";
    return why;
}

// A folder this call made: its parent held open and its name, to take it away again.
struct Made {
    int parent;
    std::string name;
};

}  // namespace

int OpenFolderWithoutLinks(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        errno = EINVAL;
        return -1;
    }
    int folder = ::open("/", kFolderOpen);
    if (folder < 0 || path == "/") return folder;
    std::vector<std::string> names;
    if (!PlainNames(path.substr(1), names)) {
        ::close(folder);
        errno = EINVAL;
        return -1;
    }
    for (const std::string& name : names) {
        const int next = ::openat(folder, name.c_str(), kFolderOpen);
        const int error = errno;
        ::close(folder);
        if (next < 0) {
            errno = error;
            return -1;
        }
        folder = next;
    }
    return folder;
}

PreparedFolder MakeFoldersBelow(int rootFd, const std::string& relative, uid_t uid, gid_t gid, mode_t mode,
                                std::string& errorText) {
    errorText.clear();
    std::vector<std::string> names;
    if (!PlainNames(relative, names)) return Refused(PreparedFolder::Failed, Tr("The path is not plain"), EINVAL, errorText);
    struct stat root {};
    if (::fstat(rootFd, &root) != 0) return Refused(PreparedFolder::Failed, Tr("Cannot read the drive"), errno, errorText);

    std::vector<Made> made;
    int folder = ::dup(rootFd);
    const auto undo = [&](PreparedFolder why, const std::string& words, int error) {
        for (auto it = made.rbegin(); it != made.rend(); ++it) {
            ::unlinkat(it->parent, it->name.c_str(), AT_REMOVEDIR);
            ::close(it->parent);
        }
        made.clear();
        if (folder >= 0) ::close(folder);
        return Refused(why, words, error, errorText);
    };
    if (folder < 0) return undo(PreparedFolder::Failed, Tr("Cannot read the drive"), errno);

    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const bool last = i + 1 == names.size();
        int next = ::openat(folder, name.c_str(), kFolderOpen);
        bool ours = false;
        if (next < 0 && errno == ENOENT) {
            // Made closed (0700, root's) and opened back without following links; whatever
            // stands there then must be the folder just made before it is handed out.
            ours = ::mkdirat(folder, name.c_str(), 0700) == 0;
            const int error = errno;
            if (!ours && error != EEXIST) return undo(PreparedFolder::Failed, Tr("Cannot create the folder") + (": " + name), error);
            next = ::openat(folder, name.c_str(), kFolderOpen);
        }
        if (next < 0) {
            const int error = errno;
            if (ours) ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
            if (error == ELOOP || error == ENOTDIR)
                return undo(PreparedFolder::LinkOnPath, Tr("A link or a file stands on the path") + (": " + name), error);
            return undo(PreparedFolder::Failed, Tr("Cannot open the folder") + (": " + name), error);
        }
        struct stat info {};
        if (::fstat(next, &info) != 0) {
            const int error = errno;
            ::close(next);
            return undo(PreparedFolder::Failed, Tr("Cannot read the folder") + (": " + name), error);
        }
        if (info.st_dev != root.st_dev) {
            ::close(next);
            if (ours) ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
            return undo(PreparedFolder::OtherDrive, Tr("The path leads onto another drive") + (": " + name), 0);
        }
        if (ours) {
            // Not the folder just made: someone put their own in its place, which stays theirs.
            if (info.st_uid != ::geteuid() || (info.st_mode & 07777) != 0700 || info.st_nlink != 2) {
                ::close(next);
                return undo(PreparedFolder::Failed, Tr("The new folder was changed by someone else") + (": " + name), 0);
            }
            made.push_back({::dup(folder), name});
            const bool set = last ? ::fchown(next, uid, gid) == 0 && ::fchmod(next, mode) == 0
                                  : ::fchown(next, 0, 0) == 0 && ::fchmod(next, 0755) == 0;
            if (!set) {
                const int error = errno;
                ::close(next);
                return undo(PreparedFolder::Failed, Tr("Cannot set the folder's owner") + (": " + name), error);
            }
        }
        ::close(folder);
        folder = next;
    }
    ::close(folder);
    const bool any = !made.empty();
    for (const Made& step : made) ::close(step.parent);
    return any ? PreparedFolder::Made : PreparedFolder::AlreadyThere;
}

bool LookUpAccount(const std::string& nameOrId, UserAccount& account) {
    if (nameOrId.empty() || nameOrId.size() > 256) return false;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    const bool numeric = nameOrId.find_first_not_of("0123456789") == std::string::npos;
    if (numeric) {
        char* end = nullptr;
        errno = 0;
        const unsigned long id = std::strtoul(nameOrId.c_str(), &end, 10);
        if (errno != 0 || *end != '\0' || id > 0xFFFFFFFEul) return false;
        ::getpwuid_r(static_cast<uid_t>(id), &entry, buffer.data(), buffer.size(), &found);
    } else {
        ::getpwnam_r(nameOrId.c_str(), &entry, buffer.data(), buffer.size(), &found);
    }
    if (found == nullptr) return false;
    account.uid = found->pw_uid;
    account.gid = found->pw_gid;
    account.name = found->pw_name;
    account.home = found->pw_dir != nullptr ? found->pw_dir : "";
    return true;
}

}  // namespace trovel::platform::linux_desktop
