// The installed command line when something interferes with a move: a folder swapped for a
// link while it is copied or deleted, a journal someone else wrote, the drive unmounted while
// the run plans or copies, a link on the drive's path, root moving a user's folder, and a run
// killed while deleting whose folder is then restored and moved to another drive. Each run is
// slowed down with strace where the test must act while it works, and in every case no file
// may be lost, read from elsewhere or deleted from elsewhere.
#include <pwd.h>
#include <sys/stat.h>

#include <map>
#include <set>

#include "command_line_fixture.h"

namespace trovel::testing {
namespace {

// Every regular file below `folder`, by its path below it, with its content.
std::map<std::string, std::string> Contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_regular_file() && !it->is_symlink())
            files[std::filesystem::relative(it->path(), folder).string()] =
                platform::linux_desktop::ReadWholeFile(it->path().string()).value_or("<unreadable>");
    return files;
}

class CommandLineRealFaults : public CommandLineFixture {
protected:
    void SetUp() override {
        CommandLineFixture::SetUp();
        if (IsSkipped()) return;
        if (!HaveStrace()) GTEST_SKIP() << "strace is missing (Debian package strace)";
        for (const char* part : {"a", "z"})
            for (int i = 0; i < 12; ++i)
                home.Write(std::string("Music/") + part + "/track" + std::to_string(i), part + std::to_string(i));
        // Somebody else's files, with the same names as some of the user's.
        for (int i = 0; i < 12; ++i) outside.Write("track" + std::to_string(i), "z" + std::to_string(i));
        ::chmod(outside.path().c_str(), 0700);
        outsideBefore = Contents(outside.path());
        musicBefore = Contents(home / "Music");
        registry = Read(home / ".config/user-dirs.dirs");
    }
    std::string Move(const std::string& to) { return "move music --to '" + to + "' --copy --delete"; }
    // The pid of the command line itself, below the strace that `child` runs.
    static pid_t Traced(pid_t child) {
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string pid, name, state;
            pid_t parent = 0;
            if (stat >> pid >> name >> state >> parent && parent == child && name == "(trovel-cli)")
                return static_cast<pid_t>(std::stoi(pid));
        }
        return 0;
    }
    // Unmounts the drive lazily where the child sees it: in the child's own mount namespace.
    bool UnmountFor(pid_t child) {
        return std::system(("nsenter -t " + std::to_string(child) + " -m umount -l '" + drive->point + "'").c_str()) == 0;
    }
    // Swaps the folder Music/`part` for a link to the other user's folder; the real one is
    // kept aside, as an attacker would keep it.
    void SwapForLink(const std::string& part) {
        std::filesystem::rename(home / ("Music/" + part), home / ("moved-" + part));
        std::filesystem::create_symlink(outside.path(), home / ("Music/" + part));
    }
    // Every file the user had, with its content, is in one of `folders` (read from the
    // test's own view of the drives).
    void NothingLost(const std::vector<std::string>& folders) {
        for (const auto& [name, content] : musicBefore) {
            bool found = false;
            for (const std::string& folder : folders) found = found || Read(folder + "/" + name) == content;
            EXPECT_TRUE(found) << name << " is lost";
        }
    }

    TempDir outside;
    TempDir logs;  // the runs' output, kept out of the home
    std::map<std::string, std::string> outsideBefore, musicBefore;
    std::string registry;
    std::string errors = logs / "errors.txt";
};

TEST_F(CommandLineRealFaults, AFolderSwappedForALinkDuringTheCopyIsNeitherFollowedNorLost) {
    const std::string opened = logs / "opened.txt";
    const pid_t child = Start(Move(drive->point), SlowedAt("copy_file_range", 150000, opened), errors);
    ASSERT_TRUE(Until([&] { return FilesIn(target + "/Music") > 0; }));
    const std::string part = FilesIn(target + "/Music/z") == 0 ? "z" : "a";
    SwapForLink(part);
    EXPECT_EQ(Wait(child), 1) << Read(errors);
    EXPECT_NE(Read(errors).find("replaced meanwhile"), std::string::npos) << Read(errors);
    EXPECT_FALSE(HasHungarianLetter(Read(errors))) << Read(errors);
    EXPECT_EQ(Read(opened).find(outside.path()), std::string::npos) << "the run read through the link";
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
    EXPECT_FALSE(std::filesystem::exists(target + "/Music")) << "the run's copies are not rolled back";
    EXPECT_EQ(Contents(outside.path()), outsideBefore);
    std::filesystem::remove(home / ("Music/" + part));
    std::filesystem::rename(home / ("moved-" + part), home / ("Music/" + part));
    EXPECT_EQ(Contents(home / "Music"), musicBefore);
}

TEST_F(CommandLineRealFaults, AFolderSwappedForALinkWhileDeletingDeletesNothingThroughIt) {
    const std::string opened = logs / "opened.txt", output = logs / "output.txt";
    const pid_t child = Start(Move(drive->point), SlowedAt("unlinkat,unlink", 150000, opened), errors, output);
    ASSERT_TRUE(Until([&] { return FilesIn(home / "Music") < musicBefore.size(); }));
    const std::string part = FilesIn(home / "Music/a") == 12 ? "a" : "z";
    SwapForLink(part);
    // Relocated, with the files it could not check named as left behind.
    EXPECT_EQ(Wait(child), 0) << Read(errors);
    EXPECT_NE(Read(output).find("left at the old place because it changed meanwhile or is new: " + home / ("Music/" + part + "/track")), std::string::npos)
        << Read(output);
    EXPECT_EQ(Read(opened).find(outside.path()), std::string::npos) << "the run went through the link";
    EXPECT_EQ(Contents(outside.path()), outsideBefore) << Read(errors);
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");
    EXPECT_EQ(Contents(target + "/Music"), musicBefore);
    // Several workers empty both folders at once: the one chosen may have lost one file in the
    // instant between the count above and the swap, while it was still in its place (its copy
    // is at the target). Any file removed through the folder after the swap is put back.
    EXPECT_GE(FilesIn(home / ("moved-" + part)), 11u) << "files were deleted from the folder set aside";
}

TEST_F(CommandLineRealFaults, AJournalSomeoneElseWroteIsSetAsideAndNothingIsDeleted) {
    // A journal of a "killed" run that says: delete what is in `outside`, whose twins lie in
    // `copies`. As root, believing it would delete another user's files.
    TempDir copies;
    for (const auto& [name, content] : outsideBefore) copies.Write(name, content);
    const std::string state = home / ".local/state/trovel";
    std::filesystem::create_directories(state);
    const std::string journal = state + "/move-MUSIC.journal";
    std::ofstream(journal) << "trovel-move 2\nphase deleting\nsource " << outside.path() << "\ntarget "
                           << copies.path() << "\ndrive /\nrun 7\ndelete 1\nverify 0\nend\n";
    ::chmod(journal.c_str(), 0600);
    const std::string report = logs / "report.txt";
    EXPECT_NE(Wait(Start("recover", "", errors, report)), 0);
    EXPECT_EQ(Contents(outside.path()), outsideBefore) << Read(errors);
    EXPECT_EQ(Contents(copies.path()).size(), outsideBefore.size());
    EXPECT_FALSE(std::filesystem::exists(journal));
    bool asideKept = false;
    for (const auto& entry : std::filesystem::directory_iterator(state))
        asideKept = asideKept || entry.path().filename().string().rfind("move-MUSIC.journal.set-aside-", 0) == 0;
    EXPECT_TRUE(asideKept) << "the journal is not kept for the user to look at";
    EXPECT_NE((Read(report) + Read(errors)).find("set aside"), std::string::npos) << Read(report) << Read(errors);
    // The folder itself moves as usual afterwards.
    EXPECT_EQ(Run(Move(drive->point)), 0);
    EXPECT_EQ(Contents(target + "/Music"), musicBefore);
}

TEST_F(CommandLineRealFaults, ADriveUnmountedWhileTheRunPlansIsRefusedBeforeAnythingIsWritten) {
    const pid_t child = Start(Move(drive->point), SlowedAt("getdents64", 400000), errors);
    // The run holds its lock once it has chosen the drive, before it plans.
    ASSERT_TRUE(Until([&] { return std::filesystem::exists(home / ".local/state/trovel/MUSIC.lock"); }));
    ASSERT_TRUE(UnmountFor(child));
    EXPECT_EQ(Wait(child), 1) << Read(errors);
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
    EXPECT_EQ(Contents(home / "Music"), musicBefore);
    EXPECT_FALSE(std::filesystem::exists(target)) << "written to the drive that was unmounted";
}

TEST_F(CommandLineRealFaults, ADriveUnmountedMidCopyLeavesTheSourceWholeAndNothingBehind) {
    const pid_t child = Start(Move(drive->point), SlowedAt("copy_file_range", 150000), errors);
    ASSERT_TRUE(Until([&] { return FilesIn(target + "/Music") > 0; }));
    ASSERT_TRUE(UnmountFor(child));
    EXPECT_EQ(Wait(child), 1) << Read(errors);
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
    EXPECT_EQ(Contents(home / "Music"), musicBefore);
    EXPECT_FALSE(std::filesystem::exists(target + "/Music")) << "the copies the run made are left behind";
}

TEST_F(CommandLineRealFaults, ALinkOnTheDrivesPathIsRefused) {
    TempDir elsewhere;
    std::filesystem::create_symlink(elsewhere.path(), drive->point + "/tmp");  // the home is below /tmp
    ASSERT_EQ(home.path().rfind("/tmp/", 0), 0u);
    EXPECT_EQ(Wait(Start(Move(drive->point), "", errors)), 1);
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
    EXPECT_EQ(Contents(home / "Music"), musicBefore);
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path())) << "the content went off the drive";
}

TEST_F(CommandLineRealFaults, RootMovingAUsersFolderCreatesEverythingInTheirName) {
    const struct passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "there is no user nobody";
    std::filesystem::remove_all(home / ".config");
    for (auto it = std::filesystem::recursive_directory_iterator(home.path());
         it != std::filesystem::recursive_directory_iterator(); ++it)
        ::lchown(it->path().c_str(), nobody->pw_uid, nobody->pw_gid);
    ::chown(home.path().c_str(), nobody->pw_uid, nobody->pw_gid);
    ::chmod(home.path().c_str(), 0700);
    // The drive's folders are out of the user's reach until the folder that holds them opens.
    EXPECT_EQ(Wait(Start(Move(drive->point), "", errors)), 1);
    EXPECT_NE(Read(errors).find("Cannot read the drive: " + drive->point), std::string::npos) << Read(errors);
    EXPECT_FALSE(std::filesystem::exists(home / ".config/user-dirs.dirs"));
    ::chmod(std::filesystem::path(drive->point).parent_path().c_str(), 0755);
    ASSERT_EQ(Wait(Start(Move(drive->point), "", errors)), 0) << Read(errors);
    NothingLost({target + "/Music"});
    EXPECT_EQ(FilesIn(home / "Music"), 0u);
    // Nothing in the home is root's: the registry, its folder, the state folder.
    std::set<std::string> made;
    for (auto it = std::filesystem::recursive_directory_iterator(home.path());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        struct stat info {};
        ::lstat(it->path().c_str(), &info);
        EXPECT_EQ(info.st_uid, nobody->pw_uid) << it->path();
        made.insert(std::filesystem::relative(it->path(), home.path()).string());
    }
    EXPECT_TRUE(made.count(".config/user-dirs.dirs") && made.count(".local/state/trovel"));
    // On the drive: the folders above the user's belong to the drive's owner, the rest to the user.
    for (std::filesystem::path above = target; above != drive->point; above = above.parent_path()) {
        struct stat info {};
        ::lstat(above.c_str(), &info);
        EXPECT_EQ(info.st_uid, 0u) << above;
        EXPECT_EQ(info.st_mode & 07777, 0755u) << above;
    }
    for (auto it = std::filesystem::recursive_directory_iterator(target + "/Music");
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        struct stat info {};
        ::lstat(it->path().c_str(), &info);
        EXPECT_EQ(info.st_uid, nobody->pw_uid) << it->path();
    }
    // The user's own programs read the registry it wrote.
    const std::string asUser = "setpriv --reuid=nobody --regid=" + std::to_string(nobody->pw_gid) +
                               " --clear-groups env -u XDG_CONFIG_HOME HOME='" + home.path() + "' xdg-user-dir MUSIC";
    EXPECT_EQ(OutputWithHome(asUser, home.path()), target + "/Music");
    EXPECT_TRUE(made.count(".local/state/trovel/history.jsonl"));

    // Put back with its content, as root again: everything back in the user's name, and the
    // folders the move made on the drive, root's own, gone with the emptied old folder.
    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 0) << Read(errors);
    NothingLost({home / "Music"});
    for (auto it = std::filesystem::recursive_directory_iterator(home.path());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        struct stat info {};
        ::lstat(it->path().c_str(), &info);
        EXPECT_EQ(info.st_uid, nobody->pw_uid) << it->path();
    }
    for (const auto& entry : std::filesystem::directory_iterator(drive->point))
        EXPECT_EQ(entry.path().filename(), "lost+found") << entry.path();
    const std::string history = Read(home / ".local/state/trovel/history.jsonl");
    EXPECT_NE(history.find("\"operation\":\"restore\""), std::string::npos) << history;
}

TEST_F(CommandLineRealFaults, KilledWhileDeletingThenRestoredThenMovedToAnotherDriveLosesNothing) {
    LoopDrive second("64M");
    ASSERT_TRUE(second.mounted);
    fstab = logs / "fstab";
    std::ofstream(fstab) << Read(drive->fstab) << Read(second.fstab);
    const pid_t child = Start(Move(drive->point), SlowedAt("unlinkat,unlink", 150000), errors);
    ASSERT_TRUE(Until([&] { return FilesIn(home / "Music") < musicBefore.size(); }));
    const pid_t mover = Traced(child);
    ASSERT_GT(mover, 0);
    ::kill(mover, SIGKILL);  // no rollback, no last word: the journal stays
    Wait(child);
    ASSERT_EQ(Registered("MUSIC"), target + "/Music");
    NothingLost({target + "/Music", home / "Music"});

    EXPECT_EQ(Wait(Start("restore MUSIC", "", errors)), 0) << Read(errors);
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
    // The user goes on working in the restored folder before moving it again.
    home.Write("Music/new-after-restore", "new");
    musicBefore["new-after-restore"] = "new";
    // The killed run's journal cannot be finished now: the next run names both places that
    // may hold files, sets it aside, and moves nothing; the run after it moves the folder.
    const std::string secondTarget = second.point + home.path() + "/Music";
    EXPECT_EQ(Wait(Start(Move(second.point), "", errors)), 1);
    EXPECT_NE(Read(errors).find(home / "Music" + ", " + target + "/Music"), std::string::npos) << Read(errors);
    EXPECT_FALSE(std::filesystem::exists(secondTarget));
    EXPECT_EQ(Read(home / "Music/new-after-restore"), "new");
    EXPECT_EQ(Wait(Start(Move(second.point), "", errors)), 0) << Read(errors);
    EXPECT_EQ(Registered("MUSIC"), secondTarget);
    EXPECT_EQ(Read(secondTarget + "/new-after-restore"), "new");
    NothingLost({target + "/Music", secondTarget, home / "Music"});
    EXPECT_FALSE(std::filesystem::exists(home / ".local/state/trovel/move-MUSIC.journal"));
}

}  // namespace
}  // namespace trovel::testing
