// The privileged helper as root, on a loop drive that a private fstab (bound over the real
// one in a mount namespace of the helper's own) lists as mounted at boot.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "loop_drive.h"
#include "platform/linux/linux_platform.h"
#include "temp_dir.h"

#ifndef TROVEL_PREPARE_TARGET
#define TROVEL_PREPARE_TARGET ""
#endif

namespace trovel::testing {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

struct Owner {
    uid_t uid = 1;
    gid_t gid = 1;
    mode_t mode = 0;
};

Owner OwnerOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {};
    return {info.st_uid, info.st_gid, static_cast<mode_t>(info.st_mode & 07777)};
}

class PrepareTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
        if (std::system("command -v mkfs.ext4 >/dev/null && command -v unshare >/dev/null") != 0)
            GTEST_SKIP() << "mkfs.ext4 or unshare is missing";
        drive = std::make_unique<LoopDrive>("8M");
        if (!drive->mounted) GTEST_SKIP() << "this machine does not permit loop mounts";
        root = drive->point + "/";
        ASSERT_EQ(::chown(home.path().c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(home.path().c_str(), 0750), 0);
        place = drive->point + home.path();
    }
    // The helper as pkexec would start it for nobody, with `fstab` as the system's.
    int Helper(const std::string& arguments, const std::string& fstab = "", const std::string& user = "PKEXEC_UID=65534") {
        const std::string line = "mount --bind '" + (fstab.empty() ? drive->fstab : fstab) +
                                 "' /etc/fstab && exec env -i " + user + " '" + TROVEL_PREPARE_TARGET + "' " +
                                 arguments + " 2>'" + errors.path() + "/err'";
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/usr/bin/unshare", "unshare", "-m", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Prepare(const std::string& folder) { return Helper("--home '" + home.path() + "' -- '" + root + "' '" + folder + "'"); }

    TempDir home;
    TempDir errors;
    std::unique_ptr<LoopDrive> drive;
    std::string root;
    std::string place;  // the drive's copy of the home
};

TEST_F(PrepareTargetTest, MakesTheHomesCopyForTheUserAndTheFoldersAboveForRoot) {
    ASSERT_EQ(Prepare(place), 0) << std::ifstream(errors.path() + "/err").rdbuf();
    const Owner made = OwnerOf(place);
    EXPECT_EQ(made.uid, kNobody);
    EXPECT_EQ(made.gid, kNobody);
    EXPECT_EQ(made.mode, 0750u) << "the home's own mode";
    for (fs::path above = fs::path(place).parent_path(); above.string().size() > drive->point.size();
         above = above.parent_path()) {
        const Owner owner = OwnerOf(above.string());
        EXPECT_EQ(owner.uid, 0u) << above;
        EXPECT_EQ(owner.gid, 0u) << above;
        EXPECT_EQ(owner.mode, 0755u) << above;
    }
    EXPECT_EQ(drive->Entries(), std::size_t(std::count(home.path().begin(), home.path().end(), '/')));
    // Asked again: nothing changes, and that is no failure.
    EXPECT_EQ(Prepare(place), 0);
}

TEST_F(PrepareTargetTest, APrivateHomeGivesAPrivateFolder) {
    ASSERT_EQ(::chmod(home.path().c_str(), 0700), 0);
    ASSERT_EQ(Prepare(place), 0);
    EXPECT_EQ(OwnerOf(place).mode, 0700u);
}

TEST_F(PrepareTargetTest, LeavesAnExistingFolderAsItIs) {
    fs::create_directories(place);
    ASSERT_EQ(::chmod(place.c_str(), 0711), 0);
    ASSERT_EQ(Prepare(place), 0);
    const Owner owner = OwnerOf(place);
    EXPECT_EQ(owner.uid, 0u);
    EXPECT_EQ(owner.mode, 0711u);
}

TEST_F(PrepareTargetTest, RefusesALinkAnywhereOnThePath) {
    TempDir elsewhere;
    const std::string top = drive->point + "/" + (++fs::path(home.path()).begin())->string();
    fs::create_symlink(elsewhere.path(), top);  // the first folder below the drive's root
    EXPECT_EQ(Prepare(place), 9);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    fs::remove(top);
    // The last folder itself a link to a folder of someone else's.
    fs::create_directories(fs::path(place).parent_path());
    fs::create_symlink(elsewhere.path(), place);
    EXPECT_EQ(Prepare(place), 9);
    EXPECT_EQ(OwnerOf(elsewhere.path()).uid, 0u);
    EXPECT_EQ(OwnerOf(elsewhere.path()).mode, 0700u);
}

TEST_F(PrepareTargetTest, RefusesADriveNamedThroughALink) {
    TempDir links;
    const std::string link = links.path() + "/drive";
    fs::create_symlink(drive->point, link);
    EXPECT_NE(Helper("--home '" + home.path() + "' -- '" + link + "/' '" + link + home.path() + "'"), 0);
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(PrepareTargetTest, RefusesAFolderThatIsNotTheUsersPlace) {
    EXPECT_EQ(Prepare(drive->point + "/etc"), 8);
    EXPECT_EQ(Prepare(place + "/Music"), 8);
    EXPECT_EQ(Prepare(place + "/../x"), 8);
    EXPECT_EQ(Prepare(place + "/"), 8);
    EXPECT_EQ(Prepare(home.path()), 8);  // the home itself, on its own drive
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(PrepareTargetTest, RefusesADriveNotMountedAtBoot) {
    const std::string empty = errors.path() + "/fstab";
    std::ofstream(empty) << "# nothing\n";
    EXPECT_EQ(Helper("--home '" + home.path() + "' -- '" + root + "' '" + place + "'", empty), 6);
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(PrepareTargetTest, RefusesTheHomesOwnDriveAndTheSystemsFilesystem) {
    const std::string homeOnDrive = drive->point + "/anna";
    fs::create_directories(homeOnDrive);
    ASSERT_EQ(::chown(homeOnDrive.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(Helper("--home '" + homeOnDrive + "' -- '" + root + "' '" + drive->point + homeOnDrive + "'"), 7);
    EXPECT_EQ(drive->Entries(), 1u);
    EXPECT_EQ(Helper("--home '" + home.path() + "' -- / '" + home.path() + "'"), 2);
    EXPECT_FALSE(fs::exists(drive->point + drive->point));
}

TEST_F(PrepareTargetTest, RefusesAPathThatCrossesIntoAnotherFilesystem) {
    const std::string top = drive->point + "/" + (++fs::path(home.path()).begin())->string();
    fs::create_directories(top);
    ASSERT_EQ(std::system(("mount -t tmpfs none '" + top + "'").c_str()), 0);
    EXPECT_EQ(Prepare(place), 10);
    const bool emptyBelow = fs::is_empty(top);
    std::system(("umount '" + top + "'").c_str());
    EXPECT_TRUE(emptyBelow);
}

TEST_F(PrepareTargetTest, RefusesADriveCoveredSinceItWasListed) {
    auto env = platform::linux_desktop::Environment{};
    env.fstab = drive->fstab;
    platform::linux_desktop::LinuxSystem system(env);
    const auto roots = system.LogicalDriveStrings();
    ASSERT_NE(std::find(roots.begin(), roots.end(), root), roots.end());
    ASSERT_EQ(std::system(("mount -t tmpfs none '" + drive->point + "'").c_str()), 0);
    platform::FolderForUser request;
    request.driveRoot = root;
    request.folder = place;
    request.uid = request.gid = kNobody;
    std::string text;
    const platform::PreparedFolder result = system.PrepareFolderForUser(request, text);
    const bool untouched = fs::is_empty(drive->point);
    std::system(("umount '" + drive->point + "'").c_str());
    EXPECT_EQ(result, platform::PreparedFolder::DriveChanged) << text;
    EXPECT_TRUE(untouched);
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(PrepareTargetTest, RefusesAFolderBelowTheDriveThatIsNoDrive) {
    fs::create_directories(drive->point + "/sub");
    EXPECT_EQ(Helper("--home '" + home.path() + "' -- '" + drive->point + "/sub/' '" + drive->point + "/sub" +
                     home.path() + "'"),
              5);
}

TEST_F(PrepareTargetTest, RefusesAHomeTheUserDoesNotOwnAndAnUnknownUser) {
    TempDir rootsOwn;
    EXPECT_EQ(Helper("--home '" + rootsOwn.path() + "' -- '" + root + "' '" + drive->point + rootsOwn.path() + "'"), 4);
    EXPECT_EQ(Helper("-- '" + root + "' '" + place + "'", "", "PKEXEC_UID=4000000123"), 4);
    EXPECT_EQ(Helper("-- '" + root + "' '" + place + "'", "", "PKEXEC_UID=0"), 4);
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(PrepareTargetTest, RefusesMuddledArgumentsAndACallerWhoIsNotRoot) {
    EXPECT_EQ(Helper("--user nobody --home '" + home.path() + "' -- '" + root + "' '" + place + "'"), 2)
        << "--user beside pkexec's own user";
    EXPECT_EQ(Helper("'" + root + "'"), 2);
    EXPECT_EQ(Helper("--home '" + home.path() + "' -- '" + root + "' '" + place + "'", "", "X=1"), 2) << "no user";
    EXPECT_EQ(Helper("--user nobody --home '" + home.path() + "' -- '" + root + "' '" + place + "'", "", "X=1"), 0)
        << "root naming the user";
    fs::remove_all(drive->point + "/" + (++fs::path(home.path()).begin())->string());
    const std::string asNobody = "env -i PKEXEC_UID=65534 setpriv --reuid=65534 --regid=65534 --clear-groups";
    EXPECT_EQ(Helper("--home '" + home.path() + "' -- '" + root + "' '" + place + "'", "", "X=1 " + asNobody), 3);
    EXPECT_EQ(drive->Entries(), 0u);
}

}  // namespace
}  // namespace trovel::testing
