// One real check of the drive layer: a loop-mounted ext4 image is a fixed drive with its
// label and sizes. Mounting needs root; elsewhere the test is skipped, saying so.
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include <QLabel>

#include "gui/window/main_window.h"
#include "gui/widgets/row_widgets.h"
#include "platform/linux/linux_platform.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "temp_dir.h"

namespace trovel::platform::linux_desktop {
namespace {

TEST(LoopMountedImage, IsListedAsAFixedDriveWithLabelAndSpace) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
    if (std::system("command -v mkfs.ext4 >/dev/null && command -v mount >/dev/null") != 0)
        GTEST_SKIP() << "mkfs.ext4 or mount is missing (Debian packages e2fsprogs, mount)";
    // The image lies in the build tree, on a disk: a loop over a RAM folder would not count as fixed.
    std::string pattern = std::filesystem::current_path().string() + "/loop-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string dir = pattern;
    const std::string image = dir + "/image.ext4";
    const std::string point = dir + "/mnt";
    std::filesystem::create_directories(point);
    ASSERT_EQ(std::system(("truncate -s 24M '" + image + "' && mkfs.ext4 -q -L TROVELTEST '" + image + "'").c_str()), 0);
    if (std::system(("mount -o loop '" + image + "' '" + point + "' 2>/dev/null").c_str()) != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "this machine does not permit loop mounts";
    }

    // Listed in fstab, as a drive the system mounts at every boot.
    Environment env = Environment::FromProcess();
    env.fstab = dir + "/fstab";
    std::ofstream(env.fstab) << "# <file system> <mount point> <type> <options> <dump> <pass>\n"
                             << image << " " << point << " ext4 defaults 0 2\n";
    LinuxPlatform platform(env);
    const std::string root = point + "/";
    // The drive page built on it: the image is a row, the filesystem holding the system is not.
    std::string rowCaption, rowSpace;
    bool systemRootListed = false;
    {
        app::MainWindow window(platform);
        for (space::DriveRow* row : window.drives().vObjarr) {
            if (row->vDrive == root) {
                rowCaption = row->ldrvlabel->toolTip().toStdString();
                rowSpace = row->lspace->text().toStdString();
            }
            if (row->vDrive == window.shared().systemDrive + "/") systemRootListed = true;
        }
    }
    const auto roots = platform.LogicalDriveStrings();
    const bool listed = std::find(roots.begin(), roots.end(), root) != roots.end();
    const DriveType type = platform.DriveTypeOf(root);
    std::string label;
    const bool labelRead = platform.VolumeLabel(root, label);
    VolumeSpace space;
    const bool spaceRead = platform.DiskFreeSpace(root, space);
    const TargetRefusal refusal = platform.TargetRefusalOf(root);
    // Not in fstab: mounted for this session only, so not offered, and the drive page says so.
    Environment onDemandEnv = env;
    onDemandEnv.fstab = dir + "/no-fstab";
    LinuxPlatform onDemand(onDemandEnv);
    std::string leftOutNote;
    bool onDemandListed = false;
    {
        app::MainWindow window(onDemand);
        for (space::DriveRow* row : window.drives().vObjarr) onDemandListed = onDemandListed || row->vDrive == root;
        if (window.drives().lleftout != nullptr) leftOutNote = window.drives().lleftout->toolTip().toStdString();
    }

    // Unmounted since the listing: the folder must not answer with the space of the disk below.
    std::system(("umount '" + point + "'").c_str());
    VolumeSpace afterUnmount;
    const bool spaceAfterUnmount = platform.DiskFreeSpace(root, afterUnmount);
    std::string labelAfterUnmount;
    const bool labelReadAfterUnmount = platform.VolumeLabel(root, labelAfterUnmount) && labelAfterUnmount != "TROVELTEST";

    std::filesystem::remove_all(dir);

    EXPECT_TRUE(listed);
    EXPECT_EQ(refusal, TargetRefusal::None);
    EXPECT_FALSE(onDemandListed);
    EXPECT_NE(leftOutNote.find(root + " (nem induláskor csatolt)"), std::string::npos) << leftOutNote;
    EXPECT_FALSE(spaceAfterUnmount);
    EXPECT_FALSE(labelReadAfterUnmount);
    EXPECT_EQ(type, DriveType::Fixed);
    EXPECT_TRUE(labelRead);
    EXPECT_EQ(label, "TROVELTEST");
    ASSERT_TRUE(spaceRead);
    EXPECT_GT(space.total, 16 * 1024 * 1024);
    EXPECT_GT(space.freeForUser, 0);
    EXPECT_EQ(rowCaption, "TROVELTEST ( " + root + " )");  // whole in the tooltip, however it is elided
    EXPECT_NE(rowSpace.find(" MB szabad, összesen "), std::string::npos) << rowSpace;
    EXPECT_FALSE(systemRootListed);
    EXPECT_LE(space.freeForUser, space.totalFree);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
