// The command line as installed: move with content and delete, restore, Ctrl-C and other
// signals in the middle of a copy, a second run of a folder, and a run killed halfway.
#include "command_line_fixture.h"
#include "platform/linux/run_lock.h"

namespace trovel::testing {
namespace {

using CommandLineEndToEnd = CommandLineFixture;

TEST_F(CommandLineEndToEnd, MovesWithContentThenRestoresAndCtrlCRollsBackTheCopyInProgress) {
    home.Write("Music/song.mp3", "la la la");
    home.Write("Music/Album/track.flac", "flac");
    ASSERT_EQ(Run("move music --to '" + drive->point + "' --copy --delete"), 0);
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");
    EXPECT_EQ(FilesIn(target + "/Music"), 2u);
    EXPECT_EQ(FilesIn(home / "Music"), 0u);
    ASSERT_EQ(Run("restore MUSIC"), 0);
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
    EXPECT_EQ(FilesIn(target + "/Music"), 2u);  // the restore moves no content

    // Enough small files that the copy is still running when Ctrl-C comes.
    for (int i = 0; i < 3000; ++i) home.Write("Videos/clip" + std::to_string(i), std::string(16384, 'v'));
    const pid_t child = Start("move Videos --to '" + drive->point + "' --copy --delete");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(target + "/Videos") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(child, SIGINT);
    EXPECT_EQ(Wait(child), 130);  // 128 + SIGINT, as a shell reports Ctrl-C, after the rollback
    EXPECT_EQ(Registered("VIDEOS"), home / "Videos");
    EXPECT_EQ(FilesIn(home / "Videos"), 3000u);
    EXPECT_FALSE(std::filesystem::exists(target + "/Videos"));
}

// The same refusals through the dry run and the run, with the same words and status; a dry
// run that passes writes nothing at all, and a folder where it would go is "already there".
TEST_F(CommandLineEndToEnd, ADryRunRefusesWhereTheRunRefusesAndWritesNothing) {
    home.Write("Music/song.mp3", "la la la");
    const std::string registry = Read(home / ".config/user-dirs.dirs");
    const TempDir logs;  // outside the home, which must stay as it was
    const std::string errors = logs / "errors.txt";
    const auto both = [&](const std::string& arguments, const std::string& words) {
        EXPECT_EQ(Wait(Start(arguments + " --dry-run", "", errors)), 1) << arguments;
        const std::string dry = Read(errors);
        EXPECT_NE(dry.find(words), std::string::npos) << dry;
        EXPECT_FALSE(HasHungarianLetter(dry)) << dry;  // the mover's refusals speak English too
        EXPECT_EQ(Wait(Start(arguments, "", errors)), 1) << arguments;
        EXPECT_NE(Read(errors).find(words), std::string::npos) << Read(errors);
        EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);
        EXPECT_EQ(FilesIn(home / "Music"), 1u);
    };
    // Without content the folder must be there already.
    both("move music --to '" + drive->point + "'", "the destination folder does not exist");
    // Something else under a name the folder has, at the target.
    std::filesystem::create_directories(target + "/Music");
    std::ofstream(target + "/Music/song.mp3") << "another song";
    both("move music --to '" + drive->point + "' --copy --delete", "holds something else under the same name");
    std::filesystem::remove_all(drive->point + "/tmp");
    {
        const platform::linux_desktop::RunLock other(home / ".local/state/trovel", "MUSIC");
        both("move music --to '" + drive->point + "' --copy --delete", "already being relocated");
    }
    std::filesystem::remove_all(home / ".local");

    // Nothing in the way: the dry run says so and leaves no trace, not even a lock file.
    const std::string output = logs / "output.txt";
    EXPECT_EQ(Wait(Start("move music --to '" + drive->point + "' --copy --delete --dry-run", "", errors, output)), 0)
        << Read(errors);
    EXPECT_NE(Read(output).find("would relocate"), std::string::npos) << Read(output);
    EXPECT_FALSE(std::filesystem::exists(drive->point + "/tmp"));
    EXPECT_FALSE(std::filesystem::exists(home / ".local"));
    EXPECT_EQ(Read(home / ".config/user-dirs.dirs"), registry);

    ASSERT_EQ(Run("move music --to '" + drive->point + "' --copy --delete"), 0);
    for (const char* dry : {"", " --dry-run"}) {
        EXPECT_EQ(Wait(Start("move music --to '" + drive->point + "' --copy --delete" + dry, "", errors, output)), 0);
        EXPECT_EQ(Read(output), "Music: already there -> " + target + "/Music\n");
    }
}

// A home whose path is not UTF-8 cannot be written in user-dirs.dirs exactly: the dry run and
// the run both refuse before anything is copied.
TEST_F(CommandLineEndToEnd, APathTheRegistryCannotHoldIsRefusedBeforeTheCopy) {
    homePath = home / "h\xff";
    std::filesystem::create_directories(homePath + "/Music");
    std::filesystem::create_directories(homePath + "/.config");
    std::ofstream(homePath + "/Music/song.mp3") << "la la la";
    std::ofstream(homePath + "/.config/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Music\"\n";
    const std::string errors = home / "errors.txt";
    for (const char* dry : {" --dry-run", ""}) {
        EXPECT_EQ(Wait(Start("move music --to '" + drive->point + "' --copy --delete" + dry, "", errors)), 1) << dry;
        EXPECT_NE(Read(errors).find("user-dirs.dirs"), std::string::npos) << Read(errors);
        EXPECT_FALSE(std::filesystem::exists(drive->point + homePath)) << "copied before the refusal";
        EXPECT_EQ(Read(homePath + "/Music/song.mp3"), "la la la");
    }
}

TEST_F(CommandLineEndToEnd, AFolderAnotherRunHoldsIsRefusedAtOnceWithExitOneAndNothingWritten) {
    home.Write("Music/song.mp3", "la la la");
    const std::string registry = *platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs");
    const std::string errors = home / "errors.txt";
    {
        // The window, or another terminal, relocating Music right now.
        const platform::linux_desktop::RunLock other(home / ".local/state/trovel", "MUSIC");
        ASSERT_TRUE(other.Held());
        EXPECT_EQ(Wait(Start("move music --to '" + drive->point + "' --copy --delete", "", errors)), 1);
    }
    EXPECT_NE(platform::linux_desktop::ReadWholeFile(errors).value_or("").find(
                  "This folder is already being relocated: " + (home / "Music")),
              std::string::npos)
        << platform::linux_desktop::ReadWholeFile(errors).value_or("");
    EXPECT_EQ(platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs"), registry);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(FilesIn(home / "Music"), 1u);
    EXPECT_EQ(Run("move music --to '" + drive->point + "' --copy --delete"), 0);  // once it is free
}

TEST_F(CommandLineEndToEnd, TwoRunsOfOneFolderAtOnceOneMovesItTheOtherRefuses) {
    if (!HaveStrace()) GTEST_SKIP() << "strace is missing (Debian package strace)";
    for (int i = 0; i < 200; ++i) home.Write("Music/track" + std::to_string(i), std::string(4096, 'm'));
    // The first run is slowed down at each flush to disk, so it is still at work
    // when the second one starts.
    const pid_t first = Start("move music --to '" + drive->point + "' --copy --delete",
                              SlowedAt("syncfs,fsync,fdatasync", 500000));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(target + "/Music") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(std::filesystem::exists(target + "/Music"));
    const std::string errors = home / "errors.txt";
    EXPECT_EQ(Wait(Start("move music --to '" + drive->point + "' --copy --delete", "", errors)), 1);
    EXPECT_NE(platform::linux_desktop::ReadWholeFile(errors).value_or("").find("already being relocated"), std::string::npos)
        << platform::linux_desktop::ReadWholeFile(errors).value_or("");
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");
    EXPECT_EQ(FilesIn(target + "/Music"), 200u);
    EXPECT_EQ(FilesIn(home / "Music"), 0u);
}

TEST_F(CommandLineEndToEnd, SigtermAndSighupRollBackTheCopyInProgressAsCtrlCDoes) {
    const std::string registry = *platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs");
    for (int i = 0; i < 3000; ++i) home.Write("Videos/clip" + std::to_string(i), std::string(16384, 'v'));
    for (const int stop : {SIGTERM, SIGHUP}) {
        const pid_t child = Start("move Videos --to '" + drive->point + "' --copy --delete");
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(target + "/Videos") && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(std::filesystem::exists(target + "/Videos")) << stop;
        ::kill(child, stop);
        EXPECT_EQ(Wait(child), 128 + stop) << stop;  // 143, 129: exited after the rollback, not killed by it
        EXPECT_EQ(platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs"), registry) << stop;
        EXPECT_EQ(FilesIn(home / "Videos"), 3000u) << stop;
        EXPECT_FALSE(std::filesystem::exists(target + "/Videos")) << stop;
        EXPECT_FALSE(std::filesystem::exists(home / ".local/state/trovel/move-VIDEOS.journal")) << stop;
    }
}

TEST_F(CommandLineEndToEnd, AMoveKilledHalfwayIsListedAsInterruptedUntilRecoverUndoesIt) {
    const std::string registry = *platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs");
    for (int i = 0; i < 3000; ++i) home.Write("Videos/clip" + std::to_string(i), std::string(16384, 'v'));
    const std::string journal = home / ".local/state/trovel/move-VIDEOS.journal";
    const pid_t child = Start("move Videos --to '" + drive->point + "' --copy --delete");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (FilesIn(target + "/Videos") < 10 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(child, SIGKILL);  // no rollback: the journal stays
    Wait(child);
    ASSERT_TRUE(std::filesystem::exists(journal));
    ASSERT_GT(FilesIn(target + "/Videos"), 0u);

    const std::string listing = home / "listing.txt";
    ASSERT_EQ(Wait(Start("list", "", "", listing)), 0);
    const std::string before = platform::linux_desktop::ReadWholeFile(listing).value_or("");
    EXPECT_NE(before.find(" (VIDEOS)"), std::string::npos) << before;
    EXPECT_EQ(before.find("My Video"), std::string::npos) << before;  // the desktop's name, not Windows'
    EXPECT_NE(before.find("[interrupted]"), std::string::npos) << before;
    ASSERT_EQ(Wait(Start("list --json", "", "", listing)), 0);
    EXPECT_NE(platform::linux_desktop::ReadWholeFile(listing).value_or("").find("\"interrupted\": true"), std::string::npos);

    const std::string report = home / "report.json";
    EXPECT_EQ(Wait(Start("recover --json", "", "", report)), 0);
    const std::string json = platform::linux_desktop::ReadWholeFile(report).value_or("");
    EXPECT_NE(json.find("\"code\": \"undone\""), std::string::npos) << json;
    EXPECT_EQ(platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs"), registry);
    EXPECT_EQ(FilesIn(home / "Videos"), 3000u);
    EXPECT_FALSE(std::filesystem::exists(target + "/Videos"));
    EXPECT_FALSE(std::filesystem::exists(journal));

    ASSERT_EQ(Wait(Start("list", "", "", listing)), 0);
    const std::string after = platform::linux_desktop::ReadWholeFile(listing).value_or("");
    EXPECT_EQ(after.find("[interrupted]"), std::string::npos) << after;
    EXPECT_EQ(Wait(Start("recover", "", "", report)), 0);
    EXPECT_EQ(platform::linux_desktop::ReadWholeFile(report).value_or(""), "no interrupted relocation\n");
}

}  // namespace
}  // namespace trovel::testing
