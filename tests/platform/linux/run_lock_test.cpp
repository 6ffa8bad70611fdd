// One run per folder: the lock file itself, and a relocation that finds its folder's lock
// taken refusing before it touches anything (the recovery of a killed run included).
#include "platform/linux/run_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/known_folder_ids.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/safe_file.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(RunLock, IsAPrivateFileInAPrivateFolderAndHasOneHolderAtATime) {
    testing::TempDir state;
    const std::string folder = state / "deep/state/trovel";
    {
        const RunLock first(folder, "MUSIC");
        ASSERT_TRUE(first.Held()) << first.error();
        EXPECT_EQ(first.path(), folder + "/MUSIC.lock");
        EXPECT_EQ(ModeOf(folder), 0700u);
        EXPECT_EQ(ModeOf(folder + "/MUSIC.lock"), 0600u);
        // A second open of the same file is a second holder, as another process would be.
        const RunLock second(folder, "MUSIC");
        EXPECT_EQ(second.status(), RunLock::Status::Busy);
        const RunLock other(folder, "VIDEOS");  // another folder's runs are not held up
        EXPECT_TRUE(other.Held());
    }
    const RunLock again(folder, "MUSIC");  // gone with its holder
    EXPECT_TRUE(again.Held());
}

TEST(RunLock, NeverFollowsALinkInPlaceOfTheFileOrTheFolder) {
    testing::TempDir state;
    state.Write("elsewhere/keep", "x");
    state.Link("trovel/MUSIC.lock", state / "elsewhere/made-through-link");
    const RunLock throughFile(state / "trovel", "MUSIC");
    EXPECT_EQ(throughFile.status(), RunLock::Status::Failed);
    EXPECT_FALSE(std::filesystem::exists(state / "elsewhere/made-through-link"));
    state.Link("linked", state / "elsewhere");
    const RunLock throughFolder(state / "linked", "MUSIC");
    EXPECT_EQ(throughFolder.status(), RunLock::Status::Failed);
    EXPECT_FALSE(std::filesystem::exists(state / "elsewhere/MUSIC.lock"));
}

TEST(RunLock, ARelocationOfAFolderAnotherRunHoldsRefusesAndChangesNothing) {
    testing::TempDir home;
    testing::TempDir drive;
    home.Write("Zene/song.mp3", "la la la");
    const std::string registry = "XDG_MUSIC_DIR=\"$HOME/Zene\"\n";
    home.Write(".config/user-dirs.dirs", registry);
    // A journal a killed run left: the run that holds the lock may be recovering it right now.
    home.Write(".local/state/trovel/move-MUSIC.journal", "left by a killed run\n");
    const Environment env = testing::ScratchEnvironment(home, home / "etc-xdg");
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element; }};
    const std::string target = drive / "Zene";
    std::string error;
    {
        const RunLock other(RunLockFolder(env.stateHome), "MUSIC");
        ASSERT_TRUE(other.Held());
        EXPECT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {}, error), kBusy);
        EXPECT_EQ(error, "Ennek a mappának az áthelyezése már folyamatban van: " + (home / "Zene"));
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_EQ(ReadWholeFile(home / "Zene/song.mp3"), "la la la");
        EXPECT_EQ(ReadWholeFile(home / ".config/user-dirs.dirs"), registry);
        EXPECT_EQ(ReadWholeFile(home / ".local/state/trovel/move-MUSIC.journal"), "left by a killed run\n");
    }
    // Once the other run is over, the folder moves (after the journal is dealt with).
    std::filesystem::remove(home / ".local/state/trovel/move-MUSIC.journal");
    ASSERT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {}, error), kOk) << error;
    EXPECT_EQ(ReadWholeFile(target + "/song.mp3"), "la la la");
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
