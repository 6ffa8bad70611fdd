// A run as root for someone else's home (sudo keeps HOME): everything in the home and every
// copied entry is the user's, the folders made above the user's on the drive are the drive
// owner's, and the run reads only what the user may read. Needs root (and a loop mount for the
// drive); skipped elsewhere, saying so.
#include "platform/linux/as_user.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "loop_drive.h"
#include "platform/known_folder_ids.h"
#include "platform/linux/drive_folder.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/safe_file.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

// Whoever owns the drive in these tests: neither root nor the user.
constexpr uid_t kDriveOwner = 4242;
constexpr gid_t kDriveGroup = 4243;

struct Owner {
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0;
};

Owner OwnerOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {static_cast<uid_t>(-1), static_cast<gid_t>(-1), 0};
    return {info.st_uid, info.st_gid, info.st_mode & 07777};
}

class AsUser : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "acting for another user needs root";
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) GTEST_SKIP() << "there is no user nobody";
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        // The system's defaults, as root keeps them; the home, as the user keeps it.
        systemConfig.Write("user-dirs.defaults", "MUSIC=Music\nVIDEOS=Videos\n");
        ::chmod(systemConfig.path().c_str(), 0755);
        home.Write("Music/song.mp3", std::string(3000, 's'));
        home.Write("Music/Album/track.flac", "flac");
        home.Write("Music/.hidden", "dot files move too");
        home.Link("Music/cover.jpg", "Album/track.flac");
        ::chmod(home.path().c_str(), 0755);
        ::chmod((home / "Music").c_str(), 0750);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path()))
            ::lchown(entry.path().c_str(), uid, gid);
        ::lchown(home.path().c_str(), uid, gid);
        env = testing::ScratchEnvironment(home, systemConfig.path());
    }
    // A loop-mounted drive whose root belongs to kDriveOwner; false when there can be none.
    bool MountDrive() {
        if (std::system("command -v mkfs.ext4 >/dev/null") != 0) return false;
        drive = std::make_unique<testing::LoopDrive>();
        if (!drive->mounted) return false;
        // The user must reach the drive's mount point through the folder that holds it.
        ::chmod(std::filesystem::path(drive->point).parent_path().c_str(), 0755);
        ::chown(drive->point.c_str(), kDriveOwner, kDriveGroup);
        ::chmod(drive->point.c_str(), 0755);
        return true;
    }

    static std::string Registered(XdgKnownFolderManager& manager) {
        std::unique_ptr<KnownFolder> folder;
        std::string path;
        if (manager.GetFolder(FOLDERID_Music, folder) == kOk) folder->GetPath(KF_FLAG_DONT_VERIFY, path);
        return path;
    }

    uid_t uid = 0;
    gid_t gid = 0;
    testing::TempDir home;
    testing::TempDir systemConfig;
    Environment env;
    std::unique_ptr<testing::LoopDrive> drive;
};

TEST_F(AsUser, EverythingTheRunMakesInTheHomeAndOnTheDriveIsTheUsers) {
    if (!MountDrive()) GTEST_SKIP() << "this machine does not permit loop mounts (or has no mkfs.ext4)";
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element; }};
    std::uint64_t lastBytes = 0, total = 0;
    platform::RedirectHooks hooks;
    hooks.progress = [&](std::uint64_t done, std::uint64_t all, std::uint64_t, std::uint64_t) {
        lastBytes = done;
        total = all;
    };
    hooks.cancelled = [] { return false; };
    manager.SetRedirectHooks(hooks);
    const std::string target = drive->point + home.path() + "/Music";
    std::string error;
    ASSERT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {}, error), kOk) << error;

    // The registry, the state folder and the lock: the user's, private.
    for (const std::string& path : {home / ".config", home / ".config/user-dirs.dirs", home / ".local",
                                    home / ".local/state", home / ".local/state/trovel",
                                    home / ".local/state/trovel/MUSIC.lock"}) {
        EXPECT_EQ(OwnerOf(path).uid, uid) << path;
        EXPECT_EQ(OwnerOf(path).gid, gid) << path;
    }
    EXPECT_EQ(OwnerOf(home / ".config").mode, 0700u);
    EXPECT_EQ(OwnerOf(home / ".local/state/trovel").mode, 0700u);
    EXPECT_EQ(OwnerOf(home / ".local/state/trovel/MUSIC.lock").mode, 0600u);
    EXPECT_FALSE(std::filesystem::exists(home / ".local/state/trovel/move-MUSIC.journal"));
    EXPECT_EQ(Registered(manager), target);

    // Every copied entry, and the user's folder on the drive, with the source's mode.
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target)) {
        EXPECT_EQ(OwnerOf(entry.path()).uid, uid) << entry.path();
        EXPECT_EQ(OwnerOf(entry.path()).gid, gid) << entry.path();
        ++entries;
    }
    EXPECT_EQ(entries, 5u);
    EXPECT_EQ(ReadWholeFile(target + "/song.mp3"), std::string(3000, 's'));
    EXPECT_EQ(OwnerOf(target).uid, uid);
    EXPECT_EQ(OwnerOf(target).mode, 0750u);
    EXPECT_FALSE(std::filesystem::exists(home / "Music/song.mp3"));
    // The folders above it: the drive owner's, open as usual.
    for (std::string above = std::filesystem::path(target).parent_path(); above != drive->point;
         above = std::filesystem::path(above).parent_path()) {
        EXPECT_EQ(OwnerOf(above).uid, kDriveOwner) << above;
        EXPECT_EQ(OwnerOf(above).gid, kDriveGroup) << above;
        EXPECT_EQ(OwnerOf(above).mode, 0755u) << above;
    }
    // The child's progress reached this process.
    EXPECT_GT(total, 0u);
    EXPECT_EQ(lastBytes, total);
}

TEST_F(AsUser, AFileOnlyRootMayReadStopsTheRunAndIsNeitherCopiedNorMoved) {
    if (!MountDrive()) GTEST_SKIP() << "this machine does not permit loop mounts (or has no mkfs.ext4)";
    home.Write("Music/root-only", "not the user's to read");
    ::chown((home / "Music/root-only").c_str(), 0, 0);
    ::chmod((home / "Music/root-only").c_str(), 0600);
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element; }};
    const std::string target = drive->point + home.path() + "/Music";
    std::string error;
    EXPECT_NE(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {}, error), kOk);
    EXPECT_NE(error.find("root-only"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(target + "/root-only"));
    EXPECT_FALSE(std::filesystem::exists(target));  // the folder made for the run went with it
    EXPECT_EQ(ReadWholeFile(home / "Music/root-only"), "not the user's to read");
    EXPECT_EQ(ReadWholeFile(home / "Music/song.mp3"), std::string(3000, 's'));
    EXPECT_NE(Registered(manager), target);
}

TEST_F(AsUser, TheCallersCancelReachesTheRunInTheUsersName) {
    testing::TempDir onDrive;
    ::chmod(onDrive.path().c_str(), 0755);
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element; }};
    platform::RedirectHooks hooks;
    hooks.cancelled = [] { return true; };
    manager.SetRedirectHooks(hooks);
    std::string error;
    EXPECT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, onDrive / "Music", {}, error), kCancelled) << error;
    EXPECT_EQ(ReadWholeFile(home / "Music/song.mp3"), std::string(3000, 's'));
    EXPECT_FALSE(std::filesystem::exists(onDrive / "Music"));
}

TEST_F(AsUser, TheRunAsTheUserCannotBecomeRootAgain) {
    const auto user = UserToActFor(home.path());
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->uid, uid);
    // Readable only through a supplementary group of the caller's (adm, 4, here given to this
    // process for the test): the run for the user must keep none of the caller's groups.
    constexpr gid_t kCallersGroup = 4;
    std::vector<gid_t> groups(static_cast<std::size_t>(::getgroups(0, nullptr)));
    groups.resize(static_cast<std::size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
    std::vector<gid_t> more = groups;
    more.push_back(kCallersGroup);
    ASSERT_EQ(::setgroups(more.size(), more.data()), 0);
    systemConfig.Write("group-only", "the caller's group's");
    ::chown((systemConfig / "group-only").c_str(), 0, kCallersGroup);
    ::chmod((systemConfig / "group-only").c_str(), 0040);
    ::chmod(systemConfig.path().c_str(), 0755);
    const std::string groupOnly = systemConfig / "group-only";
    const AsUserOutcome outcome = RunAsUser(*user, {}, [&groupOnly](const RedirectHooks&) {
        const bool root = ::setuid(0) == 0 || ::seteuid(0) == 0 || ::geteuid() == 0 || ::getuid() == 0;
        const bool readsRootOnly = ::open("/etc/shadow", O_RDONLY | O_CLOEXEC) >= 0 ||
                                   ::open(groupOnly.c_str(), O_RDONLY | O_CLOEXEC) >= 0;
        return AsUserOutcome{root || readsRootOnly ? kFail : kOk, std::to_string(::geteuid())};
    });
    ::setgroups(groups.size(), groups.data());
    EXPECT_EQ(outcome.result, kOk);
    EXPECT_EQ(outcome.errorText, std::to_string(uid));
    // A home of root's own: the program acts as itself.
    EXPECT_FALSE(UserToActFor(systemConfig.path()).has_value());
}

TEST_F(AsUser, TheFolderOnTheDriveIsNeverMadeThroughALinkAndExistingFoldersKeepTheirOwner) {
    testing::TempDir onDrive;
    onDrive.MakeDir("real");
    onDrive.Link("linked", onDrive / "real");
    MadeFolders made = MakeUserFolderOnDrive(onDrive / "linked/home/Music", uid, gid, 0700);
    EXPECT_FALSE(made.ok);
    EXPECT_TRUE(made.created.empty());
    EXPECT_FALSE(std::filesystem::exists(onDrive / "real/home"));

    onDrive.MakeDir("kept");
    ::chmod((onDrive / "kept").c_str(), 0711);
    made = MakeUserFolderOnDrive(onDrive / "kept/al/Music", uid, gid, 0700);
    ASSERT_TRUE(made.ok) << made.errorText;
    EXPECT_EQ(made.created, (std::vector<std::string>{onDrive / "kept/al", onDrive / "kept/al/Music"}));
    EXPECT_EQ(OwnerOf(onDrive / "kept").uid, 0u);
    EXPECT_EQ(OwnerOf(onDrive / "kept").mode, 0711u);
    EXPECT_EQ(OwnerOf(onDrive / "kept/al").uid, 0u);  // the owner of the drive's root: "/" here
    EXPECT_EQ(OwnerOf(onDrive / "kept/al").mode, 0755u);
    EXPECT_EQ(OwnerOf(onDrive / "kept/al/Music").uid, uid);
    EXPECT_EQ(OwnerOf(onDrive / "kept/al/Music").mode, 0700u);
    RemoveEmptyFolders(made.created);
    EXPECT_FALSE(std::filesystem::exists(onDrive / "kept/al"));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
