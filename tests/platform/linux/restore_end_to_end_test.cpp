// Putting a folder back with its content, on a real loop-mounted drive: the round trip, a
// merge beside what is at the default place, a refused conflict, a run killed halfway, a
// drive that is gone, too little room in the home, and the record of every run.
#include <fcntl.h>
#include <sys/stat.h>

#include "command_line_fixture.h"
#include "platform/linux/relocation_history.h"

namespace trovel::testing {
namespace {

class RestoreEndToEnd : public CommandLineFixture {
protected:
    std::vector<platform::RelocationRecord> History() {
        return platform::linux_desktop::ReadHistory(home / ".local/state", ::geteuid());
    }
    // Music moved to the drive with its content, the old content deleted.
    void MoveMusicAway() {
        ASSERT_EQ(Run("move music --to '" + drive->point + "' --copy --delete"), 0);
        ASSERT_EQ(Registered("MUSIC"), target + "/Music");
    }
    // The drive's root holds nothing but what mkfs put there.
    std::vector<std::string> OnDrive() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(drive->point))
            if (entry.path().filename() != "lost+found") names.push_back(entry.path().filename());
        return names;
    }
    const TempDir logs;  // outside the home
    const std::string errors = logs / "errors.txt";
    const std::string output = logs / "output.txt";
};

TEST_F(RestoreEndToEnd, MoveThenRestoreWithDeleteBringsEveryFileBackWithItsMetadataAndLeavesTheDriveEmpty) {
    home.Write("Music/song.mp3", "la la la");
    home.Write("Music/.playlist", "hidden");
    home.Write("Music/Album/track.flac", "flac");
    ::chmod((home / "Music/song.mp3").c_str(), 0640);
    const timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ::utimensat(AT_FDCWD, (home / "Music/Album/track.flac").c_str(), times, 0);
    MoveMusicAway();
    EXPECT_EQ(FilesIn(home / "Music"), 0u);

    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors, output)), 0) << Read(errors);
    EXPECT_EQ(Read(output), "Music: restored with its content -> " + (home / "Music") + "\n");
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
    EXPECT_EQ(Read(home / "Music/song.mp3"), "la la la");
    EXPECT_EQ(Read(home / "Music/.playlist"), "hidden");
    EXPECT_EQ(Read(home / "Music/Album/track.flac"), "flac");
    struct stat info {};
    ASSERT_EQ(::stat((home / "Music/song.mp3").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ASSERT_EQ(::stat((home / "Music/Album/track.flac").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 500);
    // The old folder and the folders the move made above it are gone; the drive holds nothing.
    EXPECT_TRUE(OnDrive().empty()) << OnDrive().front();

    const auto records = History();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].operation, "move");
    EXPECT_EQ(records[0].from, home / "Music");
    EXPECT_EQ(records[0].to, target + "/Music");
    EXPECT_TRUE(records[0].content);
    EXPECT_EQ(records[0].files, 3u);
    EXPECT_EQ(records[0].outcome, "done");
    EXPECT_FALSE(records[0].made.empty());
    EXPECT_EQ(records[1].operation, "restore");
    EXPECT_EQ(records[1].from, target + "/Music");
    EXPECT_EQ(records[1].to, home / "Music");
    EXPECT_EQ(records[1].files, 3u);
    EXPECT_EQ(records[1].bytes, 18u);
    EXPECT_EQ(records[1].code, "ok");
    EXPECT_TRUE(records[1].left.empty());

    ASSERT_EQ(Wait(Start("history music", "", errors, output)), 0) << Read(errors);
    const std::string listed = Read(output);
    EXPECT_LT(listed.find("move  " + (home / "Music")), listed.find("restore  " + target + "/Music")) << listed;
}

TEST_F(RestoreEndToEnd, TheContentMergesBesideAFileRecreatedAtTheDefaultPlace) {
    home.Write("Music/song.mp3", "la la la");
    MoveMusicAway();
    // The login's xdg-user-dirs-update made Music again, and a player wrote into it.
    home.Write("Music/new.m3u", "playlist");
    home.Write("Music/.cache", "player's own");
    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 0) << Read(errors);
    EXPECT_EQ(Read(home / "Music/song.mp3"), "la la la");
    EXPECT_EQ(Read(home / "Music/new.m3u"), "playlist");
    EXPECT_EQ(Read(home / "Music/.cache"), "player's own");
    EXPECT_EQ(FilesIn(home / "Music"), 3u);
    EXPECT_TRUE(OnDrive().empty());
}

TEST_F(RestoreEndToEnd, ASameNameWithOtherContentRefusesTheFolderNamingItAndWritesNothing) {
    home.Write("Music/song.mp3", "la la la");
    home.Write("Music/b.mp3", "b");
    MoveMusicAway();
    home.Write("Music/song.mp3", "another song");
    const std::string registry = Read(home / ".config/user-dirs.dirs");
    for (const char* dry : {" --dry-run", ""}) {
        EXPECT_EQ(Wait(Start(std::string("restore music --copy --delete --json") + dry, "", errors, output)), 1) << dry;
        EXPECT_NE(Read(errors).find(home / "Music/song.mp3"), std::string::npos) << Read(errors);
        EXPECT_NE(Read(output).find("\"code\": \"conflict\""), std::string::npos) << Read(output);
        EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
        EXPECT_EQ(FilesIn(home / "Music"), 1u) << "written before the refusal";
        EXPECT_EQ(Read(home / "Music/song.mp3"), "another song");
        EXPECT_EQ(FilesIn(target + "/Music"), 2u);
    }
    const auto records = History();
    ASSERT_EQ(records.size(), 2u);  // the move, and the refused run (a dry run is no run)
    EXPECT_EQ(records[1].outcome, "refused");
    EXPECT_EQ(records[1].code, "conflict");
    EXPECT_EQ(records[1].left, std::vector<std::string>{target + "/Music"});
}

TEST_F(RestoreEndToEnd, ARestoreKilledWhileCopyingIsUndoneByRecoverAndCanBeRunAgain) {
    for (int i = 0; i < 3000; ++i) home.Write("Music/track" + std::to_string(i), std::string(16384, 'm'));
    home.Write("Music/mine.txt", "the user's own");  // was there before the restore: never removed
    MoveMusicAway();
    home.Write("Music/mine.txt", "the user's own");
    const pid_t child = Start("restore music --copy --delete");
    ASSERT_TRUE(Until([&] { return FilesIn(home / "Music") > 2; }));
    ::kill(child, SIGKILL);
    Wait(child);
    ASSERT_TRUE(std::filesystem::exists(home / ".local/state/trovel/move-MUSIC.journal"));
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");

    ASSERT_EQ(Wait(Start("recover music", "", errors, output)), 0) << Read(errors) << Read(output);
    EXPECT_NE(Read(output).find("undone"), std::string::npos) << Read(output);
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");
    EXPECT_EQ(FilesIn(home / "Music"), 1u);
    EXPECT_EQ(Read(home / "Music/mine.txt"), "the user's own");
    EXPECT_EQ(FilesIn(target + "/Music"), 3001u);

    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 0) << Read(errors);
    EXPECT_EQ(FilesIn(home / "Music"), 3001u);
    EXPECT_TRUE(OnDrive().empty());
}

TEST_F(RestoreEndToEnd, ARestoreWithoutContentLeavesItAndListSaysWhere) {
    home.Write("Music/song.mp3", "la la la");
    MoveMusicAway();
    ASSERT_EQ(Run("restore music"), 0);
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
    ASSERT_EQ(Wait(Start("list", "", errors, output)), 0) << Read(errors);
    EXPECT_NE(Read(output).find("content left at: " + target + "/Music\n"), std::string::npos) << Read(output);
    ASSERT_EQ(Wait(Start("list --json", "", errors, output)), 0) << Read(errors);
    EXPECT_NE(Read(output).find("\"leftBehind\": \"" + target + "/Music\""), std::string::npos) << Read(output);
    const auto records = History();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].operation, "restore");
    EXPECT_FALSE(records[1].content);
    EXPECT_EQ(records[1].left, std::vector<std::string>{target + "/Music"});

    // Once the place is gone, list names nothing.
    std::filesystem::remove_all(target + "/Music");
    ASSERT_EQ(Wait(Start("list", "", errors, output)), 0);
    EXPECT_EQ(Read(output).find("content left at"), std::string::npos) << Read(output);
}

TEST_F(RestoreEndToEnd, ADriveThatIsNotMountedIsNamedAndNothingIsWritten) {
    home.Write("Music/song.mp3", "la la la");
    MoveMusicAway();
    ASSERT_EQ(std::system(("umount '" + drive->point + "'").c_str()), 0);
    drive->mounted = false;
    const std::string registry = Read(home / ".config/user-dirs.dirs");
    for (const char* dry : {" --dry-run", ""}) {
        EXPECT_EQ(Wait(Start(std::string("restore music --copy --delete") + dry, "", errors)), 1) << dry;
        EXPECT_NE(Read(errors).find("on the drive " + drive->point + ", which is not mounted now"), std::string::npos)
            << Read(errors);
        EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
    }
    // Even where the drive's place holds a folder of that path on another filesystem.
    std::filesystem::create_directories(target + "/Music");
    EXPECT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 1);
    EXPECT_NE(Read(errors).find("not mounted"), std::string::npos) << Read(errors);
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
}

TEST_F(RestoreEndToEnd, TooLittleRoomInTheHomeCountingDotFilesIsRefusedBeforeTheFirstWrite) {
    // The home on a small drive of its own; the content fits only without its hidden file.
    LoopDrive small("16M");
    if (!small.mounted) GTEST_SKIP() << "this machine does not permit loop mounts";
    homePath = small.point + "/u";
    std::filesystem::create_directories(homePath + "/.config");
    std::ofstream(homePath + "/.config/user-dirs.dirs") << "XDG_MUSIC_DIR=\"" << target << "/Music\"\n";
    std::filesystem::create_directories(target + "/Music");
    std::ofstream(target + "/Music/song.mp3") << "la la la";
    std::ofstream(target + "/Music/.library") << std::string(20 << 20, 'x');
    for (const char* dry : {" --dry-run", ""}) {
        EXPECT_EQ(Wait(Start(std::string("restore music --copy --delete --json") + dry, "", errors, output)), 1) << dry;
        EXPECT_NE(Read(output).find("\"code\": \"no-room\""), std::string::npos) << Read(output) << Read(errors);
        EXPECT_FALSE(std::filesystem::exists(homePath + "/Music")) << "written before the refusal";
        EXPECT_EQ(FilesIn(target + "/Music"), 2u);
    }
}


TEST_F(RestoreEndToEnd, OnTheHomesOwnFilesystemTheFolderIsRenamedNotCopied) {
    // Relocated by hand to another folder of the home's filesystem.
    home.Write("Media/Music/song.mp3", "la la la");
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Media/Music\"\n");
    std::filesystem::create_directories(home / "Music");  // as the login made it
    struct stat before {};
    ASSERT_EQ(::stat((home / "Media/Music/song.mp3").c_str(), &before), 0);
    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 0) << Read(errors);
    struct stat after {};
    ASSERT_EQ(::stat((home / "Music/song.mp3").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(std::filesystem::exists(home / "Media/Music"));
    EXPECT_TRUE(std::filesystem::exists(home / "Media"));  // not made by this program
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
}


TEST_F(RestoreEndToEnd, AnOldFolderThatIsNotEmptyStaysWithTheFoldersAboveIt) {
    home.Write("Music/song.mp3", "la la la");
    MoveMusicAway();
    // Videos was put inside Music on the drive since: a nested folder stays where it is.
    std::filesystem::create_directories(target + "/Music/Videos");
    std::ofstream(target + "/Music/Videos/clip.mkv") << "clip";
    home.Write(".config/user-dirs.dirs",
               "XDG_MUSIC_DIR=\"" + target + "/Music\"\nXDG_VIDEOS_DIR=\"" + target + "/Music/Videos\"\n");
    ASSERT_EQ(Wait(Start("restore music --copy --delete", "", errors)), 0) << Read(errors);
    EXPECT_EQ(Read(home / "Music/song.mp3"), "la la la");
    EXPECT_FALSE(std::filesystem::exists(home / "Music/Videos"));
    EXPECT_FALSE(std::filesystem::exists(target + "/Music/song.mp3"));
    EXPECT_EQ(Read(target + "/Music/Videos/clip.mkv"), "clip");
    EXPECT_EQ(Registered("VIDEOS"), target + "/Music/Videos");
}

}  // namespace
}  // namespace trovel::testing
