#pragma once

#include <functional>
#include <string>

namespace trovel::platform::linux_desktop {

// How many directory reads to keep in flight on a device, and what sysfs said to decide it.
struct ReadDepth {
    int depth = 2;
    std::string device;    // the disk judged, with what led there: "vda", "loop0 on vda", "dm-0 over sda"
    int rotational = -1;   // its queue/rotational, -1 when unread
    int requests = 0;      // its queue/nr_requests, 0 when unread
    std::string why;       // the rule that gave the depth, in a few words
};

// Where no device can be told (network, memory and pseudo filesystems, unreadable sysfs).
constexpr int kUnknownReadDepth = 2;
// A spinning disk: one reader, or its head jumps between them.
constexpr int kSpinningReadDepth = 1;
// A solid-state or virtual disk: a share of its request queue, within these bounds. A walk
// of a cold tree on a loop device over a virtio disk keeps getting faster up to eight
// readers and no faster beyond; sixteen leaves room for a deeper queue (NVMe).
constexpr int kFewestSolidReadDepth = 4;
constexpr int kMostSolidReadDepth = 16;
constexpr int kRequestsPerReader = 16;

// The number of the device holding a file; false when the file cannot be read.
using DeviceOfFile = std::function<bool(const std::string& file, unsigned& major, unsigned& minor)>;
// stat's st_dev.
bool DeviceHolding(const std::string& file, unsigned& major, unsigned& minor);

// The depth for the block device numbered major:minor, from the sysfs tree at `sysRoot`
// ("/sys", or a fixture in tests): a partition is judged by its disk, device-mapper and
// RAID devices by their slowest member, a loop device also by the device holding its file.
ReadDepth ReadDepthOfDevice(const std::string& sysRoot, unsigned major, unsigned minor,
                            const DeviceOfFile& deviceOf = DeviceHolding);

// The same for the filesystem holding `path`.
ReadDepth ReadDepthOfPath(const std::string& sysRoot, const std::string& path);

}  // namespace trovel::platform::linux_desktop
