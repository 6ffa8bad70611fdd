#include "platform/linux/linux_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/environment_text.h"
#include "platform/linux/directory_reader.h"
#include "platform/linux/folder_table.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/read_depth.h"
#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"
#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {
namespace {

namespace fs = std::filesystem;

// udev writes unsafe characters of a label link as \xNN.
std::string DecodeUdevEscapes(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            out += static_cast<char>(std::strtol(name.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::uint32_t AttributesOf(const std::string& name, const struct stat& info) {
    std::uint32_t attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if (!name.empty() && name.front() == '.') attributes |= kAttributeHidden;
    return attributes;
}

}  // namespace

LinuxSystem::LinuxSystem(Environment env, ElementTranslator translate)
    : env_(std::move(env)), translate_(std::move(translate)) {}

std::string LinuxSystem::FolderDisplayName(const KnownFolderId& id, const std::string& locale) {
    const DisplayNames* names = DisplayNamesOf(id);
    if (names == nullptr) return {};
    const std::string language = locale.substr(0, locale.find_first_of("_.@"));
    if (language == "hu") return names->hungarian;
    // Another language: a user-dirs folder as xdg-user-dirs names it there, the rest in English.
    const auto& table = FolderTable();
    const auto entry = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == id; });
    if (entry != table.end() && entry->source == PathSource::UserDir)
        return UserDirElementName(names->english, locale);
    return names->english;
}

std::vector<MountEntry> LinuxSystem::Mounts() const {
    const auto text = ReadWholeFile(env_.procRoot + "/self/mountinfo");
    return text ? ParseMountInfo(*text) : std::vector<MountEntry>{};
}

const std::vector<Volume>& LinuxSystem::Volumes() {
    if (!volumes_) volumes_ = ListVolumes(Mounts(), BlockDeviceClassifier(env_.sysRoot), env_.devRoot, env_.udevData);
    return *volumes_;
}

bool LinuxSystem::DriveIdentityOf(const std::string& root, std::uint64_t& device, std::uint64_t& mountId) {
    device = mountId = 0;
    struct statx info {};
    const int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read = ::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) == 0;
    ::close(fd);
    if (!read) return false;
    device = makedev(info.stx_dev_major, info.stx_dev_minor);
    if (info.stx_mask & STATX_MNT_ID) mountId = info.stx_mnt_id;
    return true;
}

std::string LinuxSystem::DriveOf(const std::string& path) {
    if (path.empty() || path.front() != '/') return {};
    const std::string point = MountPointOf(Mounts(), path);
    return point == "/" ? std::string() : point;
}

HResult LinuxSystem::CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) {
    if (env_.home.empty()) return kFail;
    auto registry = std::make_unique<XdgKnownFolderManager>(env_, translate_);
    XdgKnownFolderManager::DriveRules rules;
    rules.mountPointOf = [this](const std::string& path) { return MountPointOf(Mounts(), path); };
    // Read afresh, on the run's own thread: the drive list the window holds is not touched.
    rules.offered = [this](const std::string& path) {
        const std::vector<MountEntry> mounts = Mounts();
        const std::string home = MountPointOf(mounts, env_.home);
        const std::string holding = MountPointOf(mounts, path);
        for (const Volume& volume : ListVolumes(mounts, BlockDeviceClassifier(env_.sysRoot), env_.devRoot, env_.udevData)) {
            const std::string point = WithoutTrailingSeparators(PathStyle::Posix, volume.root);
            if (point != "/" && point != home && point == holding && volume.type == DriveType::Fixed &&
                TargetRefusalOf(volume.root) == TargetRefusal::None)
                return true;
        }
        return false;
    };
    registry->SetDriveRules(std::move(rules));
    manager = std::move(registry);
    return kOk;
}

bool LinuxSystem::ExpandEnvironment(const std::string& text, std::string& expanded) {
    expanded = ExpandPercentVariables(text, [](const std::string& name, std::string& value) {
        const char* found = std::getenv(name.c_str());
        if (found == nullptr) return false;
        value = found;
        return true;
    });
    return true;
}

bool LinuxSystem::LoadStringResource(const std::string& module, std::uint32_t id, std::string& text) {
    text.clear();
    if (module != kStringModule) return false;
    const char* found = DescriptionText(id);
    if (found == nullptr) return false;
    text = found;
    return true;
}

std::string LinuxSystem::IconNameOf(const std::string& path) {
    if (path.empty()) return "folder";
    if (!folderIconsRead_) {
        folderIconsRead_ = true;
        std::unique_ptr<KnownFolderManager> manager;
        if (Succeeded(CreateKnownFolderManager(manager))) {
            auto& registry = static_cast<XdgKnownFolderManager&>(*manager);
            for (const FolderEntry& entry : FolderTable())
                if (entry.source != PathSource::None) folderIcons_.emplace_back(registry.CurrentPath(entry), entry.iconName);
        }
    }
    for (const auto& [folderPath, icon] : folderIcons_)
        if (folderPath == path) return icon;
    for (const Volume& volume : Volumes())
        if (volume.root == path || volume.root == path + "/") return "drive-harddisk";
    return "folder";
}

std::uint32_t LinuxSystem::FileAttributes(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return kInvalidAttributes;
    return AttributesOf(fs::path(path).filename().string(), info);
}

bool LinuxSystem::EntrySize(const std::string& path, std::int64_t& size) {
    struct stat info {};
    size = 0;
    if (::lstat(path.c_str(), &info) != 0) return false;
    size = static_cast<std::int64_t>(info.st_size);
    return true;
}

std::unique_ptr<DirectoryHandle> LinuxSystem::OpenDirectory(const std::string& path) { return OpenDirectoryAt(path); }

std::vector<std::string> LinuxSystem::MountPointsBelow(const std::string& folder) {
    // The mount table speaks of resolved paths; the walk of the folder as it was spelled.
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) return {};
    std::string real = resolved;
    if (real.back() != '/') real += '/';
    std::string spelled = folder;
    if (spelled.empty() || spelled.back() != '/') spelled += '/';
    std::vector<std::string> below;
    for (const MountEntry& mount : Mounts()) {
        const std::string point = mount.mountPoint + "/";
        if (point.size() > real.size() && point.starts_with(real)) below.push_back(spelled + point.substr(real.size()));
    }
    return below;
}

bool LinuxSystem::ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info {};
        // Links are entries of their own, never followed.
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        entries.push_back({name, AttributesOf(name, info), static_cast<std::int64_t>(info.st_size),
                           static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec});
    }
    ::closedir(dir);
    return true;
}

int LinuxSystem::ParallelReadsFor(const std::string& path) {
    return ReadDepthOfPath(env_.sysRoot, path).depth;
}

std::vector<std::string> LinuxSystem::LogicalDriveStrings() {
    volumes_.reset();  // a new listing sees mounts made or gone since the last one
    std::vector<std::string> roots;
    for (const Volume& volume : Volumes()) roots.push_back(volume.root);
    return roots;
}

DriveType LinuxSystem::DriveTypeOf(const std::string& root) {
    for (const Volume& volume : Volumes())
        if (volume.root == root) return volume.type;
    return DriveType::NoRootDir;
}

bool LinuxSystem::VolumeLabel(const std::string& root, std::string& label) {
    label.clear();
    const auto& volumes = Volumes();
    const auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == root; });
    if (volume == volumes.end()) return false;
    std::error_code error;
    if (volume->source.starts_with("/dev/")) {
        const fs::path device = fs::canonical(fs::path(env_.devRoot) / volume->source.substr(5), error);
        const fs::path byLabel = fs::path(env_.devRoot) / "disk" / "by-label";
        if (!error && fs::is_directory(byLabel, error)) {
            for (const auto& link : fs::directory_iterator(byLabel, error)) {
                std::error_code linkError;
                if (fs::canonical(link.path(), linkError) == device && !linkError) {
                    label = DecodeUdevEscapes(link.path().filename().string());
                    return true;
                }
            }
        }
    }
    // Without udev the filesystem itself still knows its label.
    const int fd = OpenListedRoot(root);
    if (fd < 0) return false;
    char buffer[FSLABEL_MAX + 1] = {};
    const bool ok = ::ioctl(fd, FS_IOC_GETFSLABEL, buffer) == 0;
    ::close(fd);
    if (ok) label = buffer;
    return ok;
}

int LinuxSystem::OpenListedRoot(const std::string& root) {
    const auto& volumes = Volumes();
    const auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == root; });
    if (volume == volumes.end()) return -1;
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    // Unmounted since the listing, the folder would answer for the filesystem below it.
    struct statx info {};
    bool same = false;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) == 0 && (info.stx_mask & STATX_MNT_ID) != 0 &&
        volume->mountId != 0) {
        same = info.stx_mnt_id == volume->mountId;
    } else {
        struct stat plain {};
        same = ::fstat(fd, &plain) == 0 && volume->major != 0 && major(plain.st_dev) == volume->major &&
               minor(plain.st_dev) == volume->minor;
    }
    if (!same) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool LinuxSystem::DiskFreeSpace(const std::string& root, VolumeSpace& space) {
    space = {};
    struct statvfs info {};
    const int fd = OpenListedRoot(root);
    if (fd < 0) return false;
    const bool read = ::fstatvfs(fd, &info) == 0;
    ::close(fd);
    if (!read) return false;
    const auto unit = static_cast<std::int64_t>(info.f_frsize);
    space.freeForUser = static_cast<std::int64_t>(info.f_bavail) * unit;
    space.total = static_cast<std::int64_t>(info.f_blocks) * unit;
    space.totalFree = static_cast<std::int64_t>(info.f_bfree) * unit;
    return true;
}

TargetRefusal LinuxSystem::TargetRefusalOf(const std::string& root) {
    if (root == "/efi/" || root == "/boot/efi/") return TargetRefusal::SystemPartition;
    const std::string point = WithoutTrailingSeparators(PathStyle::Posix, root);
    // xdg-user-dirs resets every folder on a drive that is missing at login to the home folder.
    const auto boot = BootMountPoints(env_.fstab, env_.mountUnitFolders);
    if (std::find(boot.begin(), boot.end(), point) == boot.end()) return TargetRefusal::MountedOnDemand;
    return TargetRefusal::None;
}

bool LinuxSystem::CanCreateFolder(const std::string& path) {
    std::string existing = path;
    struct stat info {};
    while (!existing.empty() && ::stat(existing.c_str(), &info) != 0) {
        const auto slash = existing.rfind('/');
        existing = slash == 0 ? "/" : existing.substr(0, slash == std::string::npos ? 0 : slash);
    }
    if (existing.empty() || !S_ISDIR(info.st_mode)) return false;
    return ::access(existing.c_str(), W_OK | X_OK) == 0;
}

std::string LinuxSystem::LastErrorText() {
    const int code = errno;
    return code == 0 ? std::string() : std::string(std::strerror(code));
}

}  // namespace trovel::platform::linux_desktop

namespace trovel::platform::linux_desktop {

// Without a desktop: the icon by name only, nothing opened, nobody asked, no sign-out.
ShellIcon LinuxSystem::ShellIconOf(const std::string& path) {
    ShellIcon icon;
    icon.themeName = IconNameOf(path);
    return icon;
}

bool LinuxSystem::ShellOpen(const std::string&) { return false; }

int LinuxSystem::ShowMessageBox(const std::string&, const std::string&, std::uint32_t) { return 0; }

bool LinuxSystem::SignOut(std::uint32_t, std::uint32_t) { return false; }

}  // namespace trovel::platform::linux_desktop
