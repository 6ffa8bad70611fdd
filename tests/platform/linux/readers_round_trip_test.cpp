// What the registry writer puts in user-dirs.dirs must read back the same through the
// other programs that read it: the shell (xdg-user-dir), GLib and Qt.
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/known_folder_ids.h"
#include "platform/linux/known_folders.h"
#include "scratch_home.h"

#ifndef TROVEL_GLIB_READER
#define TROVEL_GLIB_READER ""
#endif

namespace trovel::platform::linux_desktop {
namespace {

using testing::OutputWithHome;

class ReadersRoundTrip : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        env = testing::ScratchEnvironment(home, "/etc/xdg");
        home.Write(".config/user-dirs.dirs", "# kept\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    }
    void Register(const Guid& id, const std::string& path, std::uint32_t flags = 0) {
        XdgKnownFolderManager manager(env, [](const std::string& e) { return e; });
        std::unique_ptr<KnownFolder> folder;
        ASSERT_EQ(manager.GetFolder(id, folder), kOk);
        std::filesystem::create_directories(path);
        ASSERT_EQ(folder->SetPath(flags, path), kOk);
    }

    testing::TempDir home;
    testing::TempDir outside;
    Environment env;
};

TEST_P(ReadersRoundTrip, EveryReaderSeesTheRegisteredPath) {
    // "<outside>" stands for a folder outside the home folder, written absolute.
    const std::string path = GetParam() == "<outside>" ? outside / "elsewhere" : home / GetParam();
    Register(FOLDERID_Music, path);
    Register(FOLDERID_Documents, path + "-abs", KF_FLAG_DONT_UNEXPAND);

    if (std::system("command -v xdg-user-dir >/dev/null 2>&1") == 0) {
        EXPECT_EQ(OutputWithHome("xdg-user-dir MUSIC", home.path()), path);
        EXPECT_EQ(OutputWithHome("xdg-user-dir DOCUMENTS", home.path()), path + "-abs");
    } else {
        ADD_FAILURE() << "xdg-user-dir is not installed (Debian package xdg-user-dirs)";
    }
    if (std::string(TROVEL_GLIB_READER).empty()) {
        ADD_FAILURE() << "built without GLib (Debian package libglib2.0-dev)";
    } else {
        EXPECT_EQ(OutputWithHome(std::string(TROVEL_GLIB_READER) + " MUSIC", home.path()), path);
        EXPECT_EQ(OutputWithHome(std::string(TROVEL_GLIB_READER) + " DOCUMENTS", home.path()), path + "-abs");
    }
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    qputenv("HOME", savedHome);
    if (savedConfig.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", savedConfig);
    EXPECT_EQ(music.toStdString(), path);
    EXPECT_EQ(documents.toStdString(), path + "-abs");
}

INSTANTIATE_TEST_SUITE_P(Paths, ReadersRoundTrip,
                         ::testing::Values("Zene", "Zenék és dalok", "deep/er/Music", "with 'quote'", "<outside>"));

}  // namespace
}  // namespace trovel::platform::linux_desktop
