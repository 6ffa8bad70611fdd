#include "platform/linux/mounts.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {
namespace {

namespace fs = std::filesystem;

std::string DecodeOctal(std::string_view field) {
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        const auto end = line.find(' ', pos);
        if (pos < line.size()) fields.push_back(line.substr(pos, end - pos));
        if (end == std::string_view::npos) break;
        pos = end;
    }
    return fields;
}

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool HasOption(const std::string& options, const std::string& wanted) {
    std::size_t start = 0;
    while (start <= options.size()) {
        const auto comma = options.find(',', start);
        if (options.compare(start, comma == std::string::npos ? std::string::npos : comma - start, wanted) == 0 &&
            (comma == std::string::npos ? options.size() - start : comma - start) == wanted.size())
            return true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

bool IsRamFs(const std::string& fsType) { return fsType == "tmpfs" || fsType == "ramfs"; }

// The kernel's and the session's own folders: never a drive, however they are mounted.
bool IsKernelFolder(const std::string& point) {
    const auto under = [&](const std::string& folder) { return point == folder || point.starts_with(folder + "/"); };
    if (under("/run/media")) return false;  // drives the desktop mounted for the user
    return under("/dev") || under("/proc") || under("/sys") || under("/run") || under("/var/run") || under("/var/lock");
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const auto fields = Fields(line);
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") ++dash;
        if (fields.size() < 6 || dash + 2 >= fields.size()) continue;
        MountEntry entry;
        entry.id = static_cast<unsigned>(std::strtoul(std::string(fields[0]).c_str(), nullptr, 10));
        const std::string device(fields[2]);
        const auto colon = device.find(':');
        if (colon == std::string::npos) continue;
        entry.major = static_cast<unsigned>(std::strtoul(device.substr(0, colon).c_str(), nullptr, 10));
        entry.minor = static_cast<unsigned>(std::strtoul(device.substr(colon + 1).c_str(), nullptr, 10));
        entry.root = DecodeOctal(fields[3]);
        entry.mountPoint = DecodeOctal(fields[4]);
        entry.options = std::string(fields[5]);
        entry.fsType = std::string(fields[dash + 1]);
        entry.source = DecodeOctal(fields[dash + 2]);
        if (dash + 3 < fields.size()) entry.superOptions = std::string(fields[dash + 3]);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

bool IsNetworkFs(const std::string& fsType) {
    return fsType.starts_with("nfs") || fsType == "cifs" || fsType == "smb3" || fsType == "smbfs" ||
           fsType == "9p" || fsType == "afs" || fsType == "ceph" || fsType == "glusterfs" ||
           fsType.starts_with("fuse.sshfs") || fsType == "davfs";
}

bool IsNetworkOrPseudoFs(const std::string& fsType) {
    static const std::set<std::string> pseudo{
        "proc",       "sysfs",   "devtmpfs", "devpts",  "tmpfs",    "ramfs",     "cgroup",  "cgroup2",
        "securityfs", "debugfs", "tracefs",  "pstore",  "bpf",      "mqueue",    "hugetlbfs", "configfs",
        "fusectl",    "autofs",  "overlay",  "squashfs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",
        "rootfs",     "selinuxfs", "fuse",   "zram"};
    return IsNetworkFs(fsType) || pseudo.contains(fsType) || fsType.starts_with("fuse.");
}

std::string BlockDeviceClassifier::Resolve(const std::string& link) const {
    std::error_code error;
    const fs::path resolved = fs::canonical(link, error);
    return error ? std::string() : resolved.string();
}

std::string BlockDeviceClassifier::DeviceNumberOf(const std::string& name) const {
    return ReadLine(fs::path(sysRoot_) / "class" / "block" / name / "dev");
}

bool BlockDeviceClassifier::IsFixed(unsigned major, unsigned minor, const BackingJudge& backingIsFixed) const {
    const std::string path = Resolve(sysRoot_ + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
    return !path.empty() && IsFixedAt(path, backingIsFixed, 0);
}

bool BlockDeviceClassifier::IsFixedByName(const std::string& name, const BackingJudge& backingIsFixed) const {
    const std::string path = Resolve(sysRoot_ + "/class/block/" + name);
    return !path.empty() && IsFixedAt(path, backingIsFixed, 0);
}

bool BlockDeviceClassifier::IsFixedAt(const std::string& devicePath, const BackingJudge& backingIsFixed,
                                      int depth) const {
    if (depth > 8) return false;  // a loop of slaves or backing files is no disk
    fs::path device(devicePath);
    if (fs::exists(device / "partition")) device = device.parent_path();
    const std::string name = device.filename().string();
    const std::string path = device.string();

    // Device-mapper and RAID devices are as fixed as all of their members.
    const fs::path slaves = device / "slaves";
    std::error_code error;
    if (fs::is_directory(slaves, error) && !fs::is_empty(slaves, error)) {
        for (const auto& member : fs::directory_iterator(slaves, error)) {
            const std::string memberPath = Resolve(member.path().string());
            if (memberPath.empty() || !IsFixedAt(memberPath, backingIsFixed, depth + 1)) return false;
        }
        return true;
    }
    if (name.starts_with("loop")) {
        const std::string backing = ReadLine(device / "loop" / "backing_file");
        return !backing.empty() && backingIsFixed(backing);
    }
    // A native-multipath NVMe namespace sits under the virtual subsystem; its paths are the disks.
    const fs::path multipath = device / "multipath";
    if (path.find("/devices/virtual/nvme-subsystem/") != std::string::npos && fs::is_directory(multipath, error) &&
        !fs::is_empty(multipath, error)) {
        for (const auto& member : fs::directory_iterator(multipath, error)) {
            const std::string memberPath = Resolve(member.path().string());
            if (memberPath.empty() || !IsFixedAt(memberPath, backingIsFixed, depth + 1)) return false;
        }
        return true;
    }
    if (path.find("/devices/virtual/") != std::string::npos) return false;
    if (name.starts_with("sr")) return false;
    if (ReadLine(device / "removable") == "1") return false;
    for (const char* bus : {"/usb", "/mmc", "/memstick", "/ieee1394", "/firewire"})
        if (path.find(bus) != std::string::npos) return false;
    return true;
}

std::string BlockDeviceClassifier::LoopBackingFile(unsigned major, unsigned minor) const {
    const std::string path = Resolve(sysRoot_ + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
    if (path.empty() || !fs::path(path).filename().string().starts_with("loop")) return {};
    return ReadLine(fs::path(path) / "loop" / "backing_file");
}

DriveType BlockDeviceClassifier::KindOf(unsigned major, unsigned minor) const {
    const std::string path = Resolve(sysRoot_ + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
    if (path.empty()) return DriveType::Unknown;
    fs::path device(path);
    if (fs::exists(device / "partition")) device = device.parent_path();
    const std::string name = device.filename().string();
    if (name.starts_with("sr")) return DriveType::CdRom;
    if (name.starts_with("zram") || name.starts_with("ram")) return DriveType::RamDisk;
    return DriveType::Removable;
}

std::vector<Volume> ListVolumes(const std::vector<MountEntry>& mounts, const BlockDeviceClassifier& classifier,
                                const std::string& devRoot, const std::string& udevData) {
    std::vector<Volume> volumes;
    std::vector<std::string> deviceKeys;
    // A loop device's backing file is fixed when the filesystem holding it is.
    std::function<bool(const std::string&)> backingIsFixed = [&](const std::string& file) {
        const std::string mountPoint = MountPointOf(mounts, file);
        for (const MountEntry& mount : mounts) {
            if (mount.mountPoint != mountPoint || IsNetworkOrPseudoFs(mount.fsType)) continue;
            if (mount.major != 0) return classifier.IsFixed(mount.major, mount.minor, [](const std::string&) {
                return false;  // loops nested in loops are not followed
            });
        }
        return false;
    };
    const auto fsTypeOf = [&](const std::string& file) {
        const std::string mountPoint = MountPointOf(mounts, file);
        std::string type;
        for (const MountEntry& mount : mounts)
            if (mount.mountPoint == mountPoint) type = mount.fsType;  // the last one is on top
        return type;
    };
    // Disks named by their sources ("/dev/sda1", or "/dev/sda1:/dev/sdb1" for bcachefs):
    // fixed when every one of them is.
    const auto sourcesAreFixed = [&](const std::string& sources, std::string& key) {
        bool fixed = true;
        std::size_t start = 0;
        key.clear();
        while (start < sources.size()) {
            const auto colon = sources.find(':', start);
            const std::string source = sources.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
            start = colon == std::string::npos ? sources.size() : colon + 1;
            if (!source.starts_with("/dev/")) return false;
            std::error_code error;
            const fs::path path = fs::path(devRoot) / source.substr(5);
            const fs::path real = fs::canonical(path, error);
            const std::string name = (error ? path : real).filename().string();
            const std::string number = classifier.DeviceNumberOf(name);
            key += (number.empty() ? source : number) + ",";
            fixed = fixed && classifier.IsFixedByName(name, backingIsFixed);
        }
        return fixed && !key.empty();
    };

    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry& mount = mounts[i];
        if (mount.mountPoint == "/boot" || mount.mountPoint.starts_with("/boot/")) continue;  // the OS's own
        if (IsKernelFolder(mount.mountPoint)) continue;
        // A later mount on the same folder covers this one: only the top one can be reached.
        bool covered = false;
        for (std::size_t j = i + 1; j < mounts.size() && !covered; ++j) covered = mounts[j].mountPoint == mount.mountPoint;
        if (covered) continue;
        Volume volume;
        volume.root = mount.mountPoint == "/" ? "/" : mount.mountPoint + "/";
        volume.source = mount.source;
        volume.fsType = mount.fsType;
        volume.mountId = mount.id;
        volume.major = mount.major;
        volume.minor = mount.minor;
        std::string key = std::to_string(mount.major) + ":" + std::to_string(mount.minor);

        if (IsNetworkFs(mount.fsType)) {
            volume.type = DriveType::Remote;
        } else if (IsRamFs(mount.fsType)) {
            volume.type = DriveType::RamDisk;
        } else if (IsNetworkOrPseudoFs(mount.fsType)) {
            continue;  // proc, sysfs, cgroups, overlays: no drives at all
        } else if (mount.major != 0) {
            volume.type = classifier.IsFixed(mount.major, mount.minor, backingIsFixed)
                              ? DriveType::Fixed
                              : classifier.KindOf(mount.major, mount.minor);
            // A loop over a file in memory is a RAM disk, whatever the loop device says.
            const std::string backing = classifier.LoopBackingFile(mount.major, mount.minor);
            if (volume.type != DriveType::Fixed && !backing.empty() && IsRamFs(fsTypeOf(backing)))
                volume.type = DriveType::RamDisk;
        } else if (mount.fsType == "zfs") {
            // A dataset of a pool: the pool's member disks decide.
            const std::string pool = mount.source.substr(0, mount.source.find('/'));
            const auto members = ZfsPoolMembers(udevData, pool);
            bool fixed = !members.empty();
            for (const std::string& number : members) {
                const auto colon = number.find(':');
                fixed = fixed && colon != std::string::npos &&
                        classifier.IsFixed(static_cast<unsigned>(std::strtoul(number.c_str(), nullptr, 10)),
                                           static_cast<unsigned>(std::strtoul(number.c_str() + colon + 1, nullptr, 10)),
                                           backingIsFixed);
            }
            volume.type = fixed ? DriveType::Fixed : DriveType::Unknown;
            key = "zfs:" + mount.source;
        } else if (mount.source.starts_with("/dev/")) {
            // btrfs and bcachefs report an anonymous device number; their sources name the disks.
            std::string sourceKey;
            volume.type = sourcesAreFixed(mount.source, sourceKey) ? DriveType::Fixed : DriveType::Unknown;
            key = sourceKey.empty() ? mount.source : sourceKey;
        } else {
            continue;
        }
        if (HasOption(mount.options, "ro") || HasOption(mount.superOptions, "ro")) continue;
        bool duplicate = false;
        for (std::size_t k = 0; k < volumes.size(); ++k) {
            if (deviceKeys[k] != key || volumes[k].type != volume.type) continue;
            duplicate = true;
            if (volume.root == "/") volumes[k] = volume;  // the root filesystem is kept as "/"
        }
        if (duplicate) continue;
        volumes.push_back(volume);
        deviceKeys.push_back(key);
    }
    return volumes;
}

std::vector<std::string> ZfsPoolMembers(const std::string& udevData, const std::string& pool) {
    std::vector<std::string> members;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(udevData, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with('b')) continue;  // block devices: b8:17
        std::ifstream in(entry.path());
        bool zfs = false;
        bool inPool = false;
        for (std::string line; std::getline(in, line);) {
            zfs = zfs || line == "E:ID_FS_TYPE=zfs_member";
            inPool = inPool || line == "E:ID_FS_LABEL=" + pool;
        }
        if (zfs && inPool) members.push_back(name.substr(1));
    }
    return members;
}

std::vector<std::string> BootMountPoints(const std::string& fstab, const std::vector<std::string>& unitFolders) {
    std::vector<std::string> points{"/"};
    std::ifstream table(fstab);
    for (std::string line; std::getline(table, line);) {
        const auto fields = Fields(line);
        if (fields.size() < 2 || fields[0].starts_with('#')) continue;
        const std::string options = fields.size() > 3 ? std::string(fields[3]) : std::string();
        // noauto waits for someone to mount it, unless systemd mounts it on first use.
        if (HasOption(options, "noauto") && !HasOption(options, "x-systemd.automount")) continue;
        const std::string point = WithoutTrailingSeparators(PathStyle::Posix, DecodeOctal(fields[1]));
        if (point.starts_with('/')) points.push_back(point);
    }
    std::error_code error;
    for (const std::string& folder : unitFolders) {
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() != ".mount") continue;
            std::ifstream unit(entry.path());
            for (std::string line; std::getline(unit, line);) {
                if (!line.starts_with("Where=")) continue;
                std::string point = line.substr(6);
                while (!point.empty() && (point.back() == ' ' || point.back() == '\r')) point.pop_back();
                point = WithoutTrailingSeparators(PathStyle::Posix, point);
                if (point.starts_with('/')) points.push_back(point);
            }
        }
    }
    return points;
}

std::string MountPointOf(const std::vector<MountEntry>& mounts, const std::string& path) {
    std::string best = "/";
    for (const MountEntry& mount : mounts) {
        const std::string& point = mount.mountPoint;
        if (point.size() <= best.size()) continue;
        if (path == point || (path.starts_with(point) && path[point.size()] == '/')) best = point;
    }
    return best;
}

}  // namespace trovel::platform::linux_desktop
