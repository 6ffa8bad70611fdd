#include "platform/linux/read_depth.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace trovel::platform::linux_desktop {
namespace {

namespace fs = std::filesystem;

// Slaves of slaves and loops on loops: more layers than this is a cycle, not a disk.
constexpr int kMostLayers = 8;

// A sysfs number, or -1 when the file is missing or holds none.
int ReadNumber(const fs::path& file) {
    std::ifstream in(file);
    long long value = -1;
    if (!(in >> value) || value < 0 || value > 1'000'000) return -1;
    return static_cast<int>(value);
}

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

ReadDepth Unknown(std::string device, std::string why) {
    ReadDepth depth;
    depth.depth = kUnknownReadDepth;
    depth.device = std::move(device);
    depth.why = std::move(why);
    return depth;
}

ReadDepth JudgeDevice(const std::string& sysRoot, const DeviceOfFile& deviceOf, fs::path device, int layer);

ReadDepth JudgeNumber(const std::string& sysRoot, const DeviceOfFile& deviceOf, unsigned major, unsigned minor,
                      int layer) {
    const std::string number = std::to_string(major) + ":" + std::to_string(minor);
    std::error_code error;
    const fs::path device = fs::canonical(fs::path(sysRoot) / "dev" / "block" / number, error);
    if (error) return Unknown(number, "no block device (a network, memory or pseudo filesystem)");
    return JudgeDevice(sysRoot, deviceOf, device, layer);
}

// The device's own request queue. `flagMeansMedium`: whether its rotational flag was set
// from what the disk reported, rather than left at the kernel's default.
ReadDepth JudgeQueue(const fs::path& device, bool flagMeansMedium) {
    ReadDepth depth;
    depth.device = device.filename().string();
    depth.rotational = ReadNumber(device / "queue" / "rotational");
    depth.requests = std::max(0, ReadNumber(device / "queue" / "nr_requests"));
    if (depth.rotational < 0 || depth.requests == 0) {
        depth.depth = kUnknownReadDepth;
        depth.why = "no request queue to read";
        return depth;
    }
    if (depth.rotational == 1 && flagMeansMedium) {
        depth.depth = kSpinningReadDepth;
        depth.why = "spinning disk: one reader";
        return depth;
    }
    depth.depth = std::clamp(depth.requests / kRequestsPerReader, kFewestSolidReadDepth, kMostSolidReadDepth);
    depth.why = depth.rotational == 1 ? "virtual disk (its rotational flag is the kernel's default): a share of its queue"
                                      : "solid-state disk: a share of its queue";
    return depth;
}

ReadDepth JudgeDevice(const std::string& sysRoot, const DeviceOfFile& deviceOf, fs::path device, int layer) {
    if (layer > kMostLayers) return Unknown(device.filename().string(), "too many layers of devices");
    std::error_code error;
    if (fs::exists(device / "partition", error)) device = device.parent_path();
    const std::string name = device.filename().string();

    // Device-mapper and RAID: as deep as their slowest member, so one spinning member keeps one reader.
    const fs::path slaves = device / "slaves";
    if (fs::is_directory(slaves, error) && !fs::is_empty(slaves, error)) {
        ReadDepth slowest;
        bool first = true;
        for (const auto& member : fs::directory_iterator(slaves, error)) {
            std::error_code unresolved;
            const fs::path memberPath = fs::canonical(member.path(), unresolved);
            const ReadDepth judged = unresolved ? Unknown(member.path().filename().string(), "member not found")
                                                : JudgeDevice(sysRoot, deviceOf, memberPath, layer + 1);
            if (first || judged.depth < slowest.depth) slowest = judged;
            first = false;
        }
        slowest.device = name + " over " + slowest.device;
        return slowest;
    }

    // A loop device reads its file from the device that holds it: as deep as the shallower
    // of the two queues. Its own rotational flag is only copied from there, and means
    // nothing when the file is on no disk.
    if (name.starts_with("loop")) {
        ReadDepth own = JudgeQueue(device, false);
        const std::string backing = ReadLine(device / "loop" / "backing_file");
        unsigned major = 0, minor = 0;
        if (backing.empty() || !deviceOf || !deviceOf(backing, major, minor) || major == 0) return own;
        ReadDepth below = JudgeNumber(sysRoot, deviceOf, major, minor, layer + 1);
        if (below.requests == 0) return own;
        ReadDepth& shallower = below.depth < own.depth ? below : own;
        shallower.device = name + " on " + below.device;
        return shallower;
    }

    // A virtio disk is never told what the host keeps it on: its flag is the default.
    const bool virtualDisk = device.string().find("/virtio") != std::string::npos;
    return JudgeQueue(device, !virtualDisk);
}

}  // namespace

bool DeviceHolding(const std::string& file, unsigned& major, unsigned& minor) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return false;
    major = ::major(info.st_dev);
    minor = ::minor(info.st_dev);
    return true;
}

ReadDepth ReadDepthOfDevice(const std::string& sysRoot, unsigned major, unsigned minor, const DeviceOfFile& deviceOf) {
    return JudgeNumber(sysRoot, deviceOf, major, minor, 0);
}

ReadDepth ReadDepthOfPath(const std::string& sysRoot, const std::string& path) {
    unsigned major = 0, minor = 0;
    if (!DeviceHolding(path, major, minor)) return Unknown(path, "cannot be read");
    return ReadDepthOfDevice(sysRoot, major, minor);
}

}  // namespace trovel::platform::linux_desktop
