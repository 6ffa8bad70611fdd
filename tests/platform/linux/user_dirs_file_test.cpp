#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "temp_dir.h"

namespace trovel::platform::linux_desktop {
namespace {

using Dirs = std::map<std::string, std::string>;

TEST(ParseUserDirs, ReadsQuotedAbsoluteAndHomeRelativeValues) {
    const std::string text =
        "# written by hand\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "   XDG_MUSIC_DIR=\"/mnt/data/Music\"\n"
        "XDG_DOCUMENTS_DIR = \"$HOME/Docs\"\n"
        "XDG_VIDEOS_DIR=$HOME/Videos\n"
        "xdg_pictures_dir=\"$HOME/lower\"\n"
        "XDG_PICTURES_DIR=\"relative/Pictures\"\n"
        "XDG_DOWNLOAD_DIR=\"$HOME/First\"\n"
        "XDG_DOWNLOAD_DIR=\"$HOME/Second\"\n"
        "XDG_TEMPLATES_DIR=\"$HOMEX/T\"\n"
        "XDG_PUBLICSHARE_DIR=\"$HOME/\"\n"
        "XDG_FOO_DIR=\"/opt/foo\" # trailing comment\n"
        "XDG_BROKEN_DIR=\"/no/closing/quote\n";
    const Dirs dirs = ParseUserDirs(text, "/home/al");
    EXPECT_EQ(dirs, (Dirs{{"DESKTOP", "/home/al/Desktop"},
                          {"MUSIC", "/mnt/data/Music"},
                          {"DOCUMENTS", "/home/al/Docs"},
                          {"DOWNLOAD", "/home/al/Second"},
                          {"TEMPLATES", "/home/al/X/T"},
                          {"PUBLICSHARE", "/home/al"},
                          {"FOO", "/opt/foo"}}));
}

TEST(UserDirValue, WritesHomeRelativeOnlyAtAPathBoundary) {
    EXPECT_EQ(UserDirValue("/home/alice/Music", "/home/alice", false), "\"$HOME/Music\"");
    EXPECT_EQ(UserDirValue("/home/alice", "/home/alice", false), "\"$HOME\"");
    EXPECT_EQ(UserDirValue("/home/alice/Music", "/home/al", false), "\"/home/alice/Music\"");
    EXPECT_EQ(UserDirValue("/home/alice/Music", "/home/alice/", false), "\"$HOME/Music\"");
    EXPECT_EQ(UserDirValue("/home/alice/Music", "/home/alice", true), "\"/home/alice/Music\"");
    EXPECT_EQ(UserDirValue("/mnt/data/home/alice/Music", "/home/alice", false), "\"/mnt/data/home/alice/Music\"");
    // A home of "/" would turn every path into $HOME-relative text; write it absolute.
    EXPECT_EQ(UserDirValue("/srv/Music", "/", false), "\"/srv/Music\"");
}

TEST(IsWritableUserDirPath, RefusesWhatReadersWouldMisread) {
    EXPECT_TRUE(IsWritableUserDirPath("/mnt/data/home/al/Zenék és más"));
    EXPECT_FALSE(IsWritableUserDirPath("relative/Music"));
    EXPECT_FALSE(IsWritableUserDirPath(""));
    for (const char* bad : {"/a\"b", "/a\\b", "/a$b", "/a`b", "/a\nb"}) EXPECT_FALSE(IsWritableUserDirPath(bad)) << bad;
}

TEST(RewriteUserDirs, ReplacesEveryLineOfTheKeyAndKeepsTheRest) {
    const std::string text =
        "# comment\n"
        "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
        "  XDG_MUSIC_DIR=\"$HOME/Old\"\n"
        "xdg_music_dir=\"$HOME/lower\"\n"
        "XDG_FOO_DIR=\"/opt/foo\"\n"
        "\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"";
    EXPECT_EQ(RewriteUserDirs(text, "MUSIC", "\"/mnt/M\""),
              "# comment\n"
              "XDG_MUSIC_DIR=\"/mnt/M\"\n"
              "XDG_MUSIC_DIR=\"/mnt/M\"\n"
              "xdg_music_dir=\"$HOME/lower\"\n"
              "XDG_FOO_DIR=\"/opt/foo\"\n"
              "\n"
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    EXPECT_EQ(RewriteUserDirs("", "VIDEOS", "\"$HOME/V\""), "XDG_VIDEOS_DIR=\"$HOME/V\"\n");
}

TEST(ReplaceFileAtomically, WritesPrivatelyAndLeavesNoTemporaries) {
    testing::TempDir dir;
    const std::string file = dir / "config/sub/user-dirs.dirs";
    ASSERT_TRUE(ReplaceFileAtomically(file, "one\n"));
    ASSERT_TRUE(ReplaceFileAtomically(file, "two\n"));
    EXPECT_EQ(ReadWholeFile(file), "two\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "config/sub")) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ReplaceFileAtomically, FailsWithoutTouchingTheOldFile) {
    testing::TempDir dir;
    dir.Write("blocker", "not a folder");
    EXPECT_FALSE(ReplaceFileAtomically(dir / "blocker/user-dirs.dirs", "new"));
    EXPECT_EQ(ReadWholeFile(dir / "blocker"), "not a folder");
    // Renaming onto a folder fails after the temporary is written: it must be cleaned up.
    dir.MakeDir("target");
    EXPECT_FALSE(ReplaceFileAtomically(dir / "target", "new"));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
