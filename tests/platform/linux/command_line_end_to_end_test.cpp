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
    EXPECT_EQ(Wait(child), 1);
    EXPECT_EQ(Registered("VIDEOS"), home / "Videos");
    EXPECT_EQ(FilesIn(home / "Videos"), 3000u);
    EXPECT_FALSE(std::filesystem::exists(target + "/Videos"));
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
                  "Ennek a mappának az áthelyezése már folyamatban van: " + (home / "Music")),
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
    EXPECT_NE(platform::linux_desktop::ReadWholeFile(errors).value_or("").find("már folyamatban van"), std::string::npos)
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
        EXPECT_EQ(Wait(child), 1) << stop;  // as after Ctrl-C, not killed by the signal
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
