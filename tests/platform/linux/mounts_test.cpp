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

TEST_F(MountFixture, KernelFoldersAndCoveredMountsAreNoDrives) {
    const auto listed = Listed(
        "20 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
        "40 20 0:60 / /dev/shm rw - tmpfs tmpfs rw\n"
        "41 20 0:60 / /dev/shm rw - tmpfs tmpfs rw\n"
        "42 20 0:61 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
        "43 20 0:62 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "44 20 8:5 / /mnt/data rw - ext4 /dev/sda5 rw\n"
        "45 44 8:33 / /mnt/data rw - vfat /dev/sdc1 rw\n"   // stacked on top: only this one is reached
        "46 20 8:17 / /run/media/al/STICK rw - ext4 /dev/sdb1 rw\n");
    EXPECT_EQ(listed, (std::map<std::string, DriveType>{{"/", DriveType::Fixed},
                                                        {"/mnt/data/", DriveType::Removable},
                                                        {"/run/media/al/STICK/", DriveType::Removable}}));
}

TEST_F(MountFixture, ALoopOverAFileInMemoryIsARamDisk) {
    sys.Write("devices/virtual/block/loop2/removable", "0\n");
    Disk("devices/virtual/block/loop2", "loop2", "7:2", "0");
    sys.Write("devices/virtual/block/loop2/loop/backing_file", "/tmp/disk.img\n");
    const auto listed = Listed(
        "20 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
        "25 20 0:50 / /tmp rw - tmpfs tmpfs rw\n"
        "28 20 7:2 / /mnt/ramimage rw - ext4 /dev/loop2 rw\n");
    EXPECT_EQ(listed.at("/mnt/ramimage/"), DriveType::RamDisk);
}

TEST_F(MountFixture, MultipathNvmeZfsAndBcachefsAreJudgedByTheirDisks) {
    // An NVMe namespace under the virtual subsystem, whose one path is a PCI controller.
    const std::string controller = "devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0";
    Disk(controller + "/nvme0c0n1", "nvme0c0n1", "259:1", "0");
    Disk("devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1", "nvme0n1", "259:0", "0");
    sys.Link("devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1/multipath/nvme0c0n1", sys / (controller + "/nvme0c0n1"));
    // A ZFS pool on the SATA disk and one on the USB disk, as udev's database records them.
    testing::TempDir udev;
    udev.Write("b8:3", "E:ID_FS_TYPE=zfs_member\nE:ID_FS_LABEL=tank\n");
    udev.Write("b8:34", "E:ID_FS_TYPE=zfs_member\nE:ID_FS_LABEL=usbpool\n");
    dev.Write("sda5", "");
    dev.Write("sdc1", "");
    std::map<std::string, DriveType> listed;
    for (const Volume& volume :
         ListVolumes(ParseMountInfo("20 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
                                    "50 20 259:0 / /mnt/nvme rw - ext4 /dev/nvme0n1 rw\n"
                                    "51 20 0:70 / /tank/media rw - zfs tank/media rw\n"
                                    "52 20 0:71 / /usbpool rw - zfs usbpool rw\n"
                                    "53 20 0:72 / /mnt/bcache rw - bcachefs /dev/sda5:/dev/sda2 rw\n"
                                    "54 20 0:73 / /mnt/bcacheusb rw - bcachefs /dev/sda5:/dev/sdc1 rw\n"),
                     BlockDeviceClassifier(sys.path()), dev.path(), udev.path()))
        listed[volume.root] = volume.type;
    EXPECT_EQ(listed.at("/mnt/nvme/"), DriveType::Fixed);
    EXPECT_EQ(listed.at("/tank/media/"), DriveType::Fixed);
    EXPECT_NE(listed.at("/usbpool/"), DriveType::Fixed);
    EXPECT_EQ(listed.at("/mnt/bcache/"), DriveType::Fixed);
    EXPECT_NE(listed.at("/mnt/bcacheusb/"), DriveType::Fixed);
}

TEST(BootMountPoints, ComeFromFstabAndMountUnits) {
    testing::TempDir etc;
    etc.Write("fstab",
              "# comment\n"
              "UUID=1234 / ext4 errors=remount-ro 0 1\n"
              "/dev/sdb1  /mnt/My\\040Data/  ext4 defaults 0 2\n"
              "/dev/sdc1 /mnt/later ext4 noauto 0 0\n"
              "/dev/sdd1 /mnt/auto ext4 noauto,x-systemd.automount 0 0\n"
              "/dev/sda3 none swap sw 0 0\n");
    etc.Write("units/srv-media.mount", "[Mount]\nWhat=/dev/sde1\nWhere=/srv/media\n");
    etc.Write("units/other.service", "Where=/not/a/mount\n");
    const auto points = BootMountPoints(etc / "fstab", {etc / "units", etc / "missing"});
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/", "/mnt/My Data", "/mnt/auto", "/srv/media"}));
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
