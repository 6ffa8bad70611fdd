#include "platform/linux/mounts.h"

#include <gtest/gtest.h>

#include "platform/linux/linux_platform.h"
#include "temp_dir.h"

namespace trovel::platform::linux_desktop {
namespace {

const char* const kMountInfo =
    "20 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "21 20 8:2 /srv/h /home/shared rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "22 20 0:40 /@data /mnt/btr rw,relatime - btrfs /dev/sda1 rw,space_cache=v2\n"
    "23 20 0:40 /@other /mnt/btr2 rw,relatime - btrfs /dev/sda1 rw\n"
    "24 20 8:33 / /media/usb rw,nosuid - vfat /dev/sdc1 rw\n"
    "25 20 0:50 / /tmp rw - tmpfs tmpfs rw,size=100m\n"
    "26 20 0:51 / /mnt/nas rw - nfs4 server:/export rw\n"
    "27 20 0:52 / /mnt/ssh rw - fuse.sshfs me@host: rw\n"
    "28 20 7:0 / /mnt/image rw - ext4 /dev/loop0 rw\n"
    "29 20 7:1 / /mnt/usbimage rw - ext4 /dev/loop1 rw\n"
    "30 20 254:0 / /mnt/lvm rw - xfs /dev/mapper/vg-lv rw\n"
    "31 20 254:1 / /mnt/lvmusb rw - xfs /dev/dm-1 rw\n"
    "32 20 8:17 / /mnt/removable rw - ext4 /dev/sdb1 rw\n"
    "33 20 8:3 / /mnt/readonly ro,relatime - ext4 /dev/sda3 rw\n"
    "34 20 8:5 / /mnt/My\\040Disk rw - ext4 /dev/sda5 rw\n"
    "35 20 0:5 / /proc rw - proc proc rw\n"
    "36 20 8:6 / /boot rw - ext4 /dev/sda6 rw\n"
    "37 20 11:0 / /media/cdrom rw - iso9660 /dev/sr0 rw\n"
    "38 20 253:0 / /mnt/zram rw - ext4 /dev/zram0 rw\n";

// A sysfs tree with SATA disks, a USB disk, a removable disk, an optical drive, device
// mapper over both kinds, loop devices and a compressed-RAM disk.
class MountFixture : public ::testing::Test {
protected:
    MountFixture() {
        const std::string sata = "devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda";
        const std::string usb = "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdc";
        const std::string removable = "devices/pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0/block/sdb";
        const std::string optical = "devices/pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0/block/sr0";
        Disk(sata, "sda", "8:0", "0");
        for (int n : {1, 2, 3, 5, 6}) Partition(sata, "sda" + std::to_string(n), "8:" + std::to_string(n));
        Disk(usb, "sdc", "8:32", "0");
        Partition(usb, "sdc1", "8:33");
        Partition(usb, "sdc2", "8:34");
        Disk(removable, "sdb", "8:16", "1");
        Partition(removable, "sdb1", "8:17");
        Disk(optical, "sr0", "11:0", "1");
        Disk("devices/virtual/block/dm-0", "dm-0", "254:0", "0");
        sys.Link("devices/virtual/block/dm-0/slaves/sda3", sys / (sata + "/sda3"));
        Disk("devices/virtual/block/dm-1", "dm-1", "254:1", "0");
        sys.Link("devices/virtual/block/dm-1/slaves/sdc2", sys / (usb + "/sdc2"));
        Disk("devices/virtual/block/loop0", "loop0", "7:0", "0");
        sys.Write("devices/virtual/block/loop0/loop/backing_file", "/srv/images/disk.img\n");
        Disk("devices/virtual/block/loop1", "loop1", "7:1", "0");
        sys.Write("devices/virtual/block/loop1/loop/backing_file", "/media/usb/disk.img\n");
        Disk("devices/virtual/block/zram0", "zram0", "253:0", "0");
    }

    void Disk(const std::string& path, const std::string& name, const std::string& number, const std::string& removable) {
        sys.Write(path + "/removable", removable + "\n");
        sys.Write(path + "/dev", number + "\n");
        sys.Link("dev/block/" + number, sys / path);
        sys.Link("class/block/" + name, sys / path);
    }
    void Partition(const std::string& disk, const std::string& name, const std::string& number) {
        sys.Write(disk + "/" + name + "/partition", "1\n");
        sys.Write(disk + "/" + name + "/dev", number + "\n");
        sys.Link("dev/block/" + number, sys / (disk + "/" + name));
        sys.Link("class/block/" + name, sys / (disk + "/" + name));
    }

    std::map<std::string, DriveType> Listed(const std::string& mountinfo) {
        std::map<std::string, DriveType> out;
        for (const Volume& volume : ListVolumes(ParseMountInfo(mountinfo), BlockDeviceClassifier(sys.path()), dev.path()))
            out[volume.root] = volume.type;
        return out;
    }

    testing::TempDir sys;
    testing::TempDir dev;
};

TEST(ParseMountInfo, ReadsFieldsAndDecodesEscapes) {
    const auto mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 19u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[0].source, "/dev/sda2");
    EXPECT_EQ(mounts[0].major, 8u);
    EXPECT_EQ(mounts[0].minor, 2u);
    EXPECT_EQ(mounts[1].root, "/srv/h");
    EXPECT_EQ(mounts[2].major, 0u);
    EXPECT_EQ(mounts[14].mountPoint, "/mnt/My Disk");
    EXPECT_EQ(mounts[13].options, "ro,relatime");
    EXPECT_TRUE(ParseMountInfo("garbage line\n\n").empty());
}

TEST_F(MountFixture, OnlyLocalFixedDisksAreFixed) {
    const auto listed = Listed(kMountInfo);
    const std::map<std::string, DriveType> expected{
        {"/", DriveType::Fixed},                 // SATA partition
        {"/mnt/btr/", DriveType::Fixed},         // btrfs: anonymous device number, source on SATA
        {"/media/usb/", DriveType::Removable},   // on the USB bus
        {"/tmp/", DriveType::RamDisk},
        {"/mnt/nas/", DriveType::Remote},
        {"/mnt/ssh/", DriveType::Remote},
        {"/mnt/image/", DriveType::Fixed},       // loop over a file on the fixed root
        {"/mnt/usbimage/", DriveType::Removable},  // loop over a file on the USB disk
        {"/mnt/lvm/", DriveType::Fixed},         // device mapper over SATA
        {"/mnt/lvmusb/", DriveType::Removable},  // device mapper over USB
        {"/mnt/removable/", DriveType::Removable},
        {"/mnt/My Disk/", DriveType::Fixed},
        {"/media/cdrom/", DriveType::CdRom},
        {"/mnt/zram/", DriveType::RamDisk},
    };
    EXPECT_EQ(listed, expected);
    // Left out: the bind mount and the second subvolume (same filesystems), the read-only
    // mount, /proc, and /boot.
}

TEST_F(MountFixture, ASecondMountOfTheRootFilesystemGivesWayToSlash) {
    const auto listed = Listed(
        "21 1 8:2 /srv/h /home/shared rw - ext4 /dev/sda2 rw\n"
        "20 1 8:2 / / rw - ext4 /dev/sda2 rw\n");
    EXPECT_EQ(listed, (std::map<std::string, DriveType>{{"/", DriveType::Fixed}}));
}

TEST_F(MountFixture, MountPointOfFindsTheLongestPrefixAtABoundary) {
    const auto mounts = ParseMountInfo(kMountInfo);
    EXPECT_EQ(MountPointOf(mounts, "/mnt/btr/x/y"), "/mnt/btr");
    EXPECT_EQ(MountPointOf(mounts, "/mnt/btr2"), "/mnt/btr2");
    EXPECT_EQ(MountPointOf(mounts, "/mnt/btrfs/x"), "/");
    EXPECT_EQ(MountPointOf(mounts, "/home/al"), "/");
}

TEST_F(MountFixture, ThePlatformReadsVolumesThroughItsInjectedRoots) {
    testing::TempDir proc;
    proc.Write("self/mountinfo", kMountInfo);
    dev.Write("sda5", "");
    dev.Link("disk/by-label/DATA\\x20DISK", dev / "sda5");
    Environment env;
    env.home = "/home/al";
    env.procRoot = proc.path();
    env.sysRoot = sys.path();
    env.devRoot = dev.path();
    LinuxPlatform platform(env);

    const auto roots = platform.LogicalDriveStrings();
    EXPECT_EQ(roots.front(), "/");
    EXPECT_EQ(roots.size(), 14u);
    EXPECT_EQ(platform.DriveTypeOf("/mnt/lvm/"), DriveType::Fixed);
    EXPECT_EQ(platform.DriveTypeOf("/mnt/readonly/"), DriveType::NoRootDir);
    std::string label;
    EXPECT_TRUE(platform.VolumeLabel("/mnt/My Disk/", label));
    EXPECT_EQ(label, "DATA DISK");
    // The system drive is the mount point holding a path, so "" + "/" names the root.
    EXPECT_EQ(platform.DriveOf("/usr/lib"), "");
    EXPECT_EQ(platform.DriveOf("/mnt/lvm/Music"), "/mnt/lvm");
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
