// The registry writer never loses a key: read errors, FIFOs, concurrent writers, the
// owner and mode of the file, unreadable files, and paths other readers read differently.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "as_nobody.h"
#include "platform/known_folder_ids.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"
#include "scratch_home.h"

#ifndef TROVEL_GLIB_READER
#define TROVEL_GLIB_READER ""
#endif

namespace trovel::platform::linux_desktop {
namespace {

constexpr const char* kEightKeys =
    "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
    "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
    "XDG_TEMPLATES_DIR=\"$HOME/Templates\"\n"
    "XDG_PUBLICSHARE_DIR=\"$HOME/Public\"\n"
    "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
    "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
    "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n"
    "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n";

// Runs a shell command with HOME set to the scratch home; its exit status.
int RunWithHome(const std::string& command, const std::string& home) {
    const std::string line = "env -u XDG_CONFIG_HOME HOME='" + home + "' " + command + " >/dev/null 2>&1";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegistrySafety : public ::testing::Test {
protected:
    RegistrySafety() {
        for (const char* name : {"Desktop", "Downloads", "Templates", "Public", "Documents", "Music", "Pictures", "Videos"})
            home.MakeDir(name);
        home.Write(".config/user-dirs.dirs", kEightKeys);
    }
    std::string File() const { return home / ".config/user-dirs.dirs"; }
    std::string Registry() const { return ReadWholeFile(File()).value_or("<none>"); }
    XdgKnownFolderManager Manager() const {
        return XdgKnownFolderManager(env, [](const std::string& element) { return element; });
    }
    HResult Set(const Guid& id, const std::string& path) {
        auto manager = Manager();
        std::unique_ptr<KnownFolder> folder;
        if (manager.GetFolder(id, folder) != kOk) return kFail;
        return folder->SetPath(0, path);
    }
    std::uint32_t CapabilityOf(const Guid& id) {
        auto manager = Manager();
        std::unique_ptr<KnownFolder> folder;
        std::uint32_t capability = 0;
        if (manager.GetFolder(id, folder) == kOk) folder->GetRedirectionCapabilities(capability);
        return capability;
    }

    testing::TempDir home;
    Environment env = testing::ScratchEnvironment(home, home / "etc-xdg");
};

TEST_F(RegistrySafety, AReadErrorFailsTheWriteAndLeavesTheFileAsItWas) {
    if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
    std::string text = kEightKeys;
    while (text.size() < 26000) text += "# a long hand-written comment to make the file span several reads\n";
    home.Write(".config/user-dirs.dirs", text);
    home.MakeDir("Zene");
    // EIO on the second read of the registry and every one after, as a failing disk would give
    // it (the path is read once before the write too, for the record of relocations).
    const std::string command = std::string("strace -f -qq -o /dev/null -P '") + File() +
                                "' -e trace=read -e inject=read:error=EIO:when=2+ " TROVEL_SET_USER_DIR " MUSIC '" +
                                (home / "Zene") + "'";
    EXPECT_NE(RunWithHome(command, home.path()), 0);
    EXPECT_EQ(Registry(), text);
    // Without the fault the same write goes through.
    EXPECT_EQ(RunWithHome(std::string(TROVEL_SET_USER_DIR " MUSIC '") + (home / "Zene") + "'", home.path()), 0);
    EXPECT_NE(Registry().find("XDG_MUSIC_DIR=\"$HOME/Zene\""), std::string::npos);
}

// The order of the calls that make a new registry survive a power cut: the new file's data is
// on disk before it takes the old one's name, and the folder's entry after.
TEST_F(RegistrySafety, TheNewFileIsSyncedBeforeTheRenameAndItsFolderAfter) {
    if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
    home.Write(".config/user-dirs.dirs", kEightKeys);
    home.MakeDir("Zene");
    const std::string log = home / "calls.txt";
    const std::string command = "env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -y -o '" + log +
                                "' -e trace=fsync,fdatasync,rename,renameat,renameat2 " TROVEL_SET_USER_DIR " MUSIC '" +
                                (home / "Zene") + "'";
    ASSERT_EQ(RunWithHome(command, home.path()), 0);
    ASSERT_NE(Registry().find("XDG_MUSIC_DIR=\"$HOME/Zene\""), std::string::npos);
    std::ifstream calls(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(calls, line);) lines.push_back(line);
    const std::string folder = home / ".config";
    std::ptrdiff_t fileSynced = -1, renamed = -1, folderSynced = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const auto at = static_cast<std::ptrdiff_t>(i);
        if (line.find("rename") != std::string::npos && line.find(File() + "\"") != std::string::npos) renamed = at;
        if (line.find("sync(") == std::string::npos) continue;
        if (line.find("<" + folder + "/user-dirs.dirs.") != std::string::npos && renamed < 0) fileSynced = at;
        if (line.find("<" + folder + ">") != std::string::npos && renamed >= 0 && folderSynced < 0) folderSynced = at;
    }
    EXPECT_GE(fileSynced, 0) << "the new file is not synced before the rename";
    EXPECT_GT(renamed, fileSynced);
    EXPECT_GT(folderSynced, renamed) << "the folder is not synced after the rename";
}

TEST_F(RegistrySafety, AFifoInPlaceOfTheRegistryIsNeitherWaitedOnNorReplaced) {
    ::unlink(File().c_str());
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    auto manager = Manager();
    std::unique_ptr<KnownFolder> music;
    ASSERT_EQ(manager.GetFolder(FOLDERID_Music, music), kOk);
    std::string path;
    EXPECT_NE(music->GetPath(kCurrentPathFlags, path), kOk);
    EXPECT_NE(CapabilityOf(FOLDERID_Music), 1u);
    EXPECT_NE(music->SetPath(0, home / "Music"), kOk);
    struct stat info {};
    ASSERT_EQ(::lstat(File().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(RegistrySafety, TwoWritersAtOnceKeepBothChanges) {
    home.MakeDir("M");
    home.MakeDir("V");
    for (int trial = 0; trial < 10; ++trial) {
        home.Write(".config/user-dirs.dirs", kEightKeys);
        const std::string music = std::string(TROVEL_SET_USER_DIR " MUSIC '") + (home / "M") + "' 20";
        const std::string videos = std::string(TROVEL_SET_USER_DIR " VIDEOS '") + (home / "V") + "' 20";
        EXPECT_EQ(RunWithHome("sh -c \"" + music + " & " + videos + " & wait %1 && wait %2\"", home.path()), 0);
        const auto dirs = ParseUserDirs(Registry(), home.path());
        ASSERT_EQ(dirs.size(), 8u) << Registry();
        EXPECT_EQ(dirs.at("MUSIC"), home / "M") << "trial " << trial;
        EXPECT_EQ(dirs.at("VIDEOS"), home / "V") << "trial " << trial;
    }
}

TEST_F(RegistrySafety, AFileChangedSinceItWasReadIsNotReplaced) {
    const FileRead before = ReadRegularFile(File());
    ASSERT_EQ(before.status, ReadStatus::Read);
    // Another program (the login's xdg-user-dirs-update) writes in between.
    ASSERT_TRUE(ReplaceFileAtomically(File(), std::string(kEightKeys) + "XDG_EXTRA_DIR=\"/srv\"\n"));
    EXPECT_EQ(ReplaceFileAtomically(File(), "lost\n", before.stamp), ReplaceResult::Changed);
    EXPECT_NE(Registry().find("XDG_EXTRA_DIR"), std::string::npos);
    // The writer reads it again and keeps the other program's line.
    EXPECT_EQ(Set(FOLDERID_Music, home / "Documents"), kOk);
    EXPECT_NE(Registry().find("XDG_EXTRA_DIR"), std::string::npos);
}

TEST_F(RegistrySafety, TheRewrittenFileKeepsItsOwnerAndMode) {
    ASSERT_EQ(::chmod(File().c_str(), 0644), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(File().c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(Set(FOLDERID_Music, home / "Documents"), kOk);
    struct stat info {};
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    // A new registry is private to its user.
    ::unlink(File().c_str());
    EXPECT_EQ(Set(FOLDERID_Music, home / "Music"), kOk);
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(RegistrySafety, AnOwnerThatCannotBeKeptIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the file to another user";
    // nobody may write the folder but cannot give the new file root's ownership.
    ASSERT_EQ(::chown(home.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown((home / ".config").c_str(), 65534, 65534), 0);
    const std::string before = Registry();
    EXPECT_TRUE(testing::AsNobody([&] { return Set(FOLDERID_Music, home / "Documents") != kOk; }));
    EXPECT_EQ(Registry(), before);
}

TEST_F(RegistrySafety, AnUnreadableRegistryIsNotAnEmptyOne) {
    ASSERT_EQ(::chmod(File().c_str(), 0), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(home.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown((home / ".config").c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(File().c_str(), 65534, 65534), 0);
    }
    EXPECT_TRUE(testing::AsNobody([&] {
        auto manager = Manager();
        std::unique_ptr<KnownFolder> music;
        std::string path;
        std::uint32_t capability = 0;
        if (manager.GetFolder(FOLDERID_Music, music) != kOk) return false;
        music->GetRedirectionCapabilities(capability);
        return music->GetPath(kCurrentPathFlags, path) != kOk && path.empty() && capability != 1 &&
               music->SetPath(0, home / "Documents") != kOk;
    }));
    ::chmod(File().c_str(), 0600);
    EXPECT_EQ(Registry(), kEightKeys);
}

TEST_F(RegistrySafety, PathsOtherReadersWouldReadDifferentlyAreRefusedOrNormalised) {
    home.MakeDir("bad\xff name");
    EXPECT_EQ(Set(FOLDERID_Music, home / "bad\xff name"), kInvalidArg);
    EXPECT_EQ(Set(FOLDERID_Music, home.path() + "//Pictures/./../Music/"), kOk);
    EXPECT_NE(Registry().find("XDG_MUSIC_DIR=\"$HOME/Music\"\n"), std::string::npos) << Registry();
    // ".." after a link would lead somewhere else than its spelling says.
    testing::TempDir elsewhere;
    elsewhere.MakeDir("deep/inside");
    elsewhere.MakeDir("deep/Music");
    home.Link("link", elsewhere / "deep/inside");
    EXPECT_EQ(Set(FOLDERID_Music, home / "link/../Music"), kInvalidArg);
    EXPECT_NE(Registry().find("XDG_MUSIC_DIR=\"$HOME/Music\"\n"), std::string::npos);
}

TEST_F(RegistrySafety, HandEditedLinesReadAsGlibReadsThem) {
    if (std::string(TROVEL_GLIB_READER).empty()) GTEST_SKIP() << "built without GLib";
    home.MakeDir("X/M");
    for (const std::string line : {"XDG_MUSIC_DIR=/tmp", "XDG_MUSIC_DIR=\"$HOMEX/M\"", "XDG_MUSIC_DIR=\"/tmp\" # \"note\""}) {
        const std::string text = std::string("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n") + line + "\n";
        home.Write(".config/user-dirs.dirs", text);
        std::string glib = testing::OutputWithHome(std::string(TROVEL_GLIB_READER) + " MUSIC", home.path());
        while (glib.size() > 1 && glib.back() == '/') glib.pop_back();
        const auto dirs = ParseUserDirs(text, home.path());
        const std::string ours = dirs.contains("MUSIC") ? dirs.at("MUSIC") : std::string();
        EXPECT_EQ(ours, glib) << line;
    }
}

TEST_F(RegistrySafety, AFolderThatIsOrHoldsTheHomeFolderIsNeverRelocatable) {
    home.MakeDir(".config");
    home.Link("HomeLink", home.path());
    home.Write(".config/user-dirs.dirs",
               "XDG_MUSIC_DIR=\"$HOME/\"\n"         // switched off by the user
               "XDG_PICTURES_DIR=\"/\"\n"
               "XDG_VIDEOS_DIR=\"$HOME/.config\"\n"
               "XDG_TEMPLATES_DIR=\"$HOME/HomeLink\"\n"
               "XDG_DOCUMENTS_DIR=\"$HOME/Documents/..\"\n"
               "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    for (const Guid& id : {FOLDERID_Music, FOLDERID_Pictures, FOLDERID_Videos, FOLDERID_Templates, FOLDERID_Documents})
        EXPECT_EQ(CapabilityOf(id), static_cast<std::uint32_t>(KF_REDIRECTION_CAPABILITIES_DENY_POLICY)) << id.ToString();
    EXPECT_EQ(CapabilityOf(FOLDERID_Desktop), 1u);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
