#include "platform/linux/read_depth.h"

#include <gtest/gtest.h>

#include <map>

#include "temp_dir.h"

namespace trovel::platform::linux_desktop {
namespace {

const std::string kVirtio = "devices/pci0000:00/0000:00:02.0/virtio1/block/vda";
const std::string kNvme = "devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1";
const std::string kSsd = "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
const std::string kSpinning = "devices/pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sdb";
const std::string kVirtioScsi = "devices/pci0000:00/0000:00:05.0/virtio3/host2/target2:0:0/2:0:0:0/block/sdc";

// A sysfs tree with one disk of each kind, as the kernel lays them out, and the files that
// loop devices read, on the devices a test says.
class ReadDepthTest : public ::testing::Test {
protected:
    ReadDepthTest() {
        Disk(kVirtio, "254:0", "1", "256");
        Partition(kVirtio, "vda1", "254:1");
        Disk(kNvme, "259:0", "0", "1023");
        Partition(kNvme, "nvme0n1p2", "259:2");
        Disk(kSsd, "8:0", "0", "64");
        Partition(kSsd, "sda1", "8:1");
        Disk(kSpinning, "8:16", "1", "64");
        Partition(kSpinning, "sdb1", "8:17");
        Disk(kVirtioScsi, "8:32", "1", "256");
        // LVM on a spinning disk and on a solid-state one, and a mirror across both.
        Disk("devices/virtual/block/dm-0", "253:0", "0", "128");
        sys.Link("devices/virtual/block/dm-0/slaves/sdb1", sys / (kSpinning + "/sdb1"));
        Disk("devices/virtual/block/dm-1", "253:1", "0", "128");
        sys.Link("devices/virtual/block/dm-1/slaves/sda1", sys / (kSsd + "/sda1"));
        Disk("devices/virtual/block/md0", "9:0", "0", "128");
        sys.Link("devices/virtual/block/md0/slaves/sda1", sys / (kSsd + "/sda1"));
        sys.Link("devices/virtual/block/md0/slaves/dm-0", sys / "devices/virtual/block/dm-0");
        // Loop devices copy the rotational flag of the disk under their file.
        Loop("loop0", "7:0", "1", "/var/images/on-vda.img");
        Loop("loop1", "7:1", "1", "/srv/on-spinning.img");
        Loop("loop2", "7:2", "0", "/mnt/nvme/on-nvme.img");
        Loop("loop3", "7:3", "1", "/dev/shm/in-memory.img");
        files = {{"/var/images/on-vda.img", {254, 1}}, {"/srv/on-spinning.img", {8, 17}},
                 {"/mnt/nvme/on-nvme.img", {259, 2}}, {"/dev/shm/in-memory.img", {0, 48}}};
    }

    void Disk(const std::string& path, const std::string& number, const std::string& rotational,
              const std::string& requests) {
        sys.Write(path + "/dev", number + "\n");
        sys.Write(path + "/queue/rotational", rotational + "\n");
        sys.Write(path + "/queue/nr_requests", requests + "\n");
        sys.Link("dev/block/" + number, sys / path);
    }
    void Partition(const std::string& disk, const std::string& name, const std::string& number) {
        sys.Write(disk + "/" + name + "/partition", "1\n");
        sys.Write(disk + "/" + name + "/dev", number + "\n");
        sys.Link("dev/block/" + number, sys / (disk + "/" + name));
    }
    void Loop(const std::string& name, const std::string& number, const std::string& rotational,
              const std::string& backing) {
        Disk("devices/virtual/block/" + name, number, rotational, "128");
        sys.Write("devices/virtual/block/" + name + "/loop/backing_file", backing + "\n");
    }

    ReadDepth Of(unsigned major, unsigned minor) {
        return ReadDepthOfDevice(sys.path(), major, minor, [&](const std::string& file, unsigned& ma, unsigned& mi) {
            const auto found = files.find(file);
            if (found == files.end()) return false;
            ma = found->second.first;
            mi = found->second.second;
            return true;
        });
    }

    testing::TempDir sys;
    std::map<std::string, std::pair<unsigned, unsigned>> files;
};

TEST_F(ReadDepthTest, SolidStateDisksGetAShareOfTheirQueueWithinBounds) {
    const ReadDepth nvme = Of(259, 2);  // a partition is judged by its disk
    EXPECT_EQ(nvme.device, "nvme0n1");
    EXPECT_EQ(nvme.rotational, 0);
    EXPECT_EQ(nvme.requests, 1023);
    EXPECT_EQ(nvme.depth, kMostSolidReadDepth);
    const ReadDepth ssd = Of(8, 1);
    EXPECT_EQ(ssd.device, "sda");
    EXPECT_EQ(ssd.depth, kFewestSolidReadDepth);  // 64 requests: the floor
    sys.Write(kSsd + "/queue/nr_requests", "2\n");  // a queue shallower than the floor
    EXPECT_EQ(Of(8, 0).depth, kFewestSolidReadDepth);
    sys.Write(kSsd + "/queue/nr_requests", "160\n");
    EXPECT_EQ(Of(8, 0).depth, 10);
}

TEST_F(ReadDepthTest, ASpinningDiskGetsOneReaderWhateverItsQueue) {
    EXPECT_EQ(Of(8, 17).depth, kSpinningReadDepth);
    sys.Write(kSpinning + "/queue/nr_requests", "10000\n");
    EXPECT_EQ(Of(8, 16).depth, kSpinningReadDepth);
    EXPECT_EQ(Of(8, 16).rotational, 1);
}

TEST_F(ReadDepthTest, AVirtioDiskIsNotTakenForSpinningByItsDefaultFlag) {
    const ReadDepth vda = Of(254, 1);
    EXPECT_EQ(vda.device, "vda");
    EXPECT_EQ(vda.rotational, 1);
    EXPECT_EQ(vda.depth, 16);
    // The same for a disk on virtio's SCSI host.
    EXPECT_EQ(Of(8, 32).depth, 16);
}

TEST_F(ReadDepthTest, DeviceMapperAndRaidAreAsDeepAsTheirSlowestMember) {
    EXPECT_EQ(Of(253, 0).depth, kSpinningReadDepth);
    EXPECT_EQ(Of(253, 0).device, "dm-0 over sdb");
    EXPECT_EQ(Of(253, 1).depth, kFewestSolidReadDepth);
    EXPECT_EQ(Of(9, 0).depth, kSpinningReadDepth);  // one spinning disk under a mirror
}

TEST_F(ReadDepthTest, ALoopDeviceIsJudgedWithTheDiskUnderItsFile) {
    const ReadDepth onVirtio = Of(7, 0);
    EXPECT_EQ(onVirtio.device, "loop0 on vda");
    EXPECT_EQ(onVirtio.depth, 8);  // its own queue of 128 is the shallower
    EXPECT_EQ(Of(7, 1).depth, kSpinningReadDepth);
    EXPECT_EQ(Of(7, 2).depth, 8);
    // A file in memory is on no disk: the loop's own queue, its copied flag taken for nothing.
    EXPECT_EQ(Of(7, 3).device, "loop3");
    EXPECT_EQ(Of(7, 3).depth, 8);
    // A file that is gone since.
    files.clear();
    EXPECT_EQ(Of(7, 1).depth, 8);
}

TEST_F(ReadDepthTest, WhatCannotBeToldGetsTwo) {
    EXPECT_EQ(Of(0, 45).depth, kUnknownReadDepth);  // tmpfs, NFS: no block device
    sys.Write("devices/virtual/block/nbd0/dev", "43:0\n");
    sys.Link("dev/block/43:0", sys / "devices/virtual/block/nbd0");
    EXPECT_EQ(Of(43, 0).depth, kUnknownReadDepth);  // no queue files
    sys.Write("devices/virtual/block/nbd0/queue/rotational", "0\n");
    EXPECT_EQ(Of(43, 0).depth, kUnknownReadDepth);  // no nr_requests
    sys.Write("devices/virtual/block/nbd0/queue/nr_requests", "lots\n");
    EXPECT_EQ(Of(43, 0).depth, kUnknownReadDepth);
    // A member of a device-mapper device that is gone.
    Disk("devices/virtual/block/dm-2", "253:2", "0", "128");
    sys.Link("devices/virtual/block/dm-2/slaves/sdz1", sys / "devices/nowhere/sdz1");
    EXPECT_EQ(Of(253, 2).depth, kUnknownReadDepth);
    EXPECT_EQ(ReadDepthOfDevice(sys.path() + "/missing", 8, 0).depth, kUnknownReadDepth);
}

TEST_F(ReadDepthTest, LoopsOfDevicesEndInsteadOfRecursingForever) {
    Loop("loop4", "7:4", "0", "/loop4.img");
    files["/loop4.img"] = {7, 4};  // its file on itself
    const ReadDepth depth = Of(7, 4);
    EXPECT_GE(depth.depth, kSpinningReadDepth);
    EXPECT_LE(depth.depth, kMostSolidReadDepth);
    Disk("devices/virtual/block/dm-5", "253:5", "0", "128");
    sys.Link("devices/virtual/block/dm-5/slaves/dm-5", sys / "devices/virtual/block/dm-5");
    EXPECT_EQ(Of(253, 5).depth, kUnknownReadDepth);
}

TEST(ReadDepthOfPath, ARealFolderGetsADepthWithinBounds) {
    testing::TempDir folder;
    const ReadDepth depth = ReadDepthOfPath("/sys", folder.path());
    EXPECT_GE(depth.depth, kSpinningReadDepth);
    EXPECT_LE(depth.depth, kMostSolidReadDepth);
    EXPECT_FALSE(depth.why.empty());
    EXPECT_EQ(ReadDepthOfPath("/sys", folder / "missing").depth, kUnknownReadDepth);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
