#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace trovel::platform::linux_desktop {

// One line of /proc/self/mountinfo, octal escapes (\040 for a blank) decoded.
struct MountEntry {
    unsigned id = 0;  // the mount's own number, as statx reports it (STATX_MNT_ID)
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the part of the filesystem mounted here ("/" for all of it)
    std::string mountPoint;  // "/mnt/data"
    std::string options;     // per-mount options: "rw,relatime"
    std::string fsType;      // "ext4"
    std::string source;      // "/dev/sdb1"
    std::string superOptions;
};

std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Decides from sysfs whether a block device is a local fixed disk. `sysRoot` is "/sys"
// in the program and a fixture tree in tests.
class BlockDeviceClassifier {
public:
    explicit BlockDeviceClassifier(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {}

    // Not removable, not on USB/MMC/memory stick/FireWire, not optical, not a RAM or
    // compressed-RAM disk; device-mapper and RAID need every member fixed; a loop
    // device is judged by `backingIsFixed` on the path of its backing file.
    using BackingJudge = std::function<bool(const std::string& backingFile)>;
    bool IsFixed(unsigned major, unsigned minor, const BackingJudge& backingIsFixed) const;
    // The same for a device by its kernel name ("sda1", "dm-0").
    bool IsFixedByName(const std::string& name, const BackingJudge& backingIsFixed) const;
    // What kind of device it is, for the volume type of a device that is not fixed.
    DriveType KindOf(unsigned major, unsigned minor) const;
    // The file behind a loop device; empty for any other device.
    std::string LoopBackingFile(unsigned major, unsigned minor) const;
    // "8:17" of a kernel device name, from sysfs; empty when unknown.
    std::string DeviceNumberOf(const std::string& name) const;

private:
    bool IsFixedAt(const std::string& devicePath, const BackingJudge& backingIsFixed, int depth) const;
    std::string Resolve(const std::string& link) const;
    std::string sysRoot_;
};

// Whether a filesystem type never lives on a local disk (network, pseudo, RAM).
bool IsNetworkOrPseudoFs(const std::string& fsType);
bool IsNetworkFs(const std::string& fsType);

struct Volume {
    std::string root;  // mount point with a trailing slash: "/" or "/mnt/data/"
    DriveType type = DriveType::Unknown;
    std::string source;
    std::string fsType;
    unsigned mountId = 0;
    unsigned major = 0;
    unsigned minor = 0;
};

// The volumes of a mount table, in mount order: fixed local filesystems as Fixed, the
// rest typed as well as the table tells. Read-only mounts, second mounts of a filesystem
// already listed (bind mounts, subvolumes), mounts hidden under another one on the same
// folder, and the kernel's own folders (/dev, /proc, /sys, /run but /run/media) are left out.
// btrfs, ZFS and bcachefs are judged by the disks below them: ZFS pools are found in
// `udevData` (udev's database, "/run/udev/data").
// `devRoot` is where the mount sources ("/dev/sdb1") are resolved to kernel names.
std::vector<Volume> ListVolumes(const std::vector<MountEntry>& mounts, const BlockDeviceClassifier& classifier,
                                const std::string& devRoot = "/dev", const std::string& udevData = "/run/udev/data");

// The members of a ZFS pool, as kernel device numbers ("8:17"), from udev's database.
std::vector<std::string> ZfsPoolMembers(const std::string& udevData, const std::string& pool);

// The folders mounted at boot: those listed in fstab (without noauto) and those of
// systemd mount units, and always "/".
std::vector<std::string> BootMountPoints(const std::string& fstab, const std::vector<std::string>& unitFolders);

// The mount point holding `path` (longest prefix at a path boundary), "/" at worst.
std::string MountPointOf(const std::vector<MountEntry>& mounts, const std::string& path);

}  // namespace trovel::platform::linux_desktop
