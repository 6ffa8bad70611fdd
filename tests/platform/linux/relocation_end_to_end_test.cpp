// The whole wizard on the real Linux layer: a scratch home with real files (a nested known
// folder among them), a loop-mounted ext4 drive, the pages driven as a user would through
// move, copy, delete, drive and status; then the restore path. Mounting needs root; elsewhere
// the test is skipped, saying so.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/window/main_window.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "platform/linux/linux_platform.h"
#include "loop_drive.h"
#include "scratch_home.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "gui/widgets/row_widgets.h"

#ifndef TROVEL_GLIB_READER
#define TROVEL_GLIB_READER ""
#endif

namespace trovel::platform::linux_desktop {
namespace {

using catalogue::FolderRow;
using testing::OutputWithHome;

std::string Content(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class RelocationEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
        if (std::system("command -v mkfs.ext4 >/dev/null && command -v mount >/dev/null") != 0)
            GTEST_SKIP() << "mkfs.ext4 or mount is missing (Debian packages e2fsprogs, mount)";
        drive = std::make_unique<testing::LoopDrive>();
        if (!drive->mounted) GTEST_SKIP() << "this machine does not permit loop mounts";
        home.Write(".config/user-dirs.dirs",
                   "XDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                   "XDG_PICTURES_DIR=\"$HOME/Music/Pictures\"\n");
        home.Write("xdg/user-dirs.defaults", "MUSIC=Music\nDOCUMENTS=Documents\nPICTURES=Pictures\n");
        home.Write("Music/song.mp3", std::string(100000, 's'));
        home.Write("Music/Album/track.flac", "flac");
        home.Write("Music/.hidden", "dot files move too");
        home.Write("Music/Pictures/photo.jpg", "a nested known folder stays");
        home.Write("Documents/letter.txt", "stays: only the pointer moves");
        ::chmod((home / "Music/Album/track.flac").c_str(), 0640);
        const timespec times[2] = {{1500000000, 0}, {1600000000, 123456789}};
        ::utimensat(AT_FDCWD, (home / "Music/song.mp3").c_str(), times, 0);
        env = testing::ScratchEnvironment(home, home / "xdg");
        env.fstab = drive->fstab;
        target = drive->point + home.path();
    }

    std::map<std::string, FolderRow*> Rows(app::MainWindow& window) {
        std::map<std::string, FolderRow*> rows;
        for (FolderRow* row : window.folders().framearr) rows[row->FolderDefinition.name] = row;
        return rows;
    }
    std::string Registered(const char* key) { return OutputWithHome(std::string("xdg-user-dir ") + key, home.path()); }

    testing::TempDir home;
    std::unique_ptr<testing::LoopDrive> drive;
    Environment env;
    std::string target;  // the scratch home's place on the drive
};

TEST_F(RelocationEndToEnd, MovesMusicWithItsContentAndDocumentsPointerOnlyThenRestoresThem) {
    // Moving Documents without content needs its folder on the drive.
    std::filesystem::create_directories(target + "/Documents");
    {
        LinuxPlatform platform(env, [](const std::string& element) { return element; });
        app::MainWindow window(platform);
        window.show();
        auto rows = Rows(window);
        window.ShowPage(window.redirectPage);
        QTest::mouseClick(rows.at("My Music")->cbmove, Qt::LeftButton);
        QTest::mouseClick(rows.at("Personal")->cbmove, Qt::LeftButton);
        ASSERT_TRUE(window.bnext->isEnabled());
        window.bnextClick();
        ASSERT_EQ(window.ShownPage(), window.copyPage);
        // Copy is ticked to begin with: Documents moves without its content.
        ASSERT_TRUE(rows.at("My Music")->cbcopy->isChecked());
        QTest::mouseClick(rows.at("Personal")->cbcopy, Qt::LeftButton);
        window.StartSizeWorker(false, catalogue::Operation::Copy);  // "Méret kiszámítása"
        window.bnextClick();
        ASSERT_EQ(window.ShownPage(), window.deletePage);
        QTest::mouseClick(rows.at("My Music")->cbdelete, Qt::LeftButton);
        window.bnextClick();
        ASSERT_EQ(window.ShownPage(), window.drivesPage);
        space::DriveRow* chosen = nullptr;
        for (space::DriveRow* row : window.drives().vObjarr)
            if (row->vDrive == drive->point + "/") chosen = row;
        ASSERT_NE(chosen, nullptr) << "the loop drive is not offered";
        QTest::mouseClick(chosen->cbusethis, Qt::LeftButton);
        ASSERT_TRUE(window.bnext->isEnabled());
        window.bnextClick();
        ASSERT_EQ(window.ShownPage(), window.statusPage);

        EXPECT_TRUE(rows.at("My Music")->cbredirected->isChecked());
        EXPECT_TRUE(rows.at("My Music")->cbcopied->isChecked());
        EXPECT_TRUE(rows.at("Personal")->cbredirected->isChecked());
        EXPECT_FALSE(rows.at("Personal")->cbcopied->isChecked());
        EXPECT_EQ(window.lcheckedcount->text(), "2");
        EXPECT_EQ(window.bexit->text(), "Kilépés");
    }
    // The content is at the target with its metadata; the nested folder stayed with its file.
    EXPECT_TRUE(Content(target + "/Music/song.mp3") == std::string(100000, 's'));
    EXPECT_EQ(Content(target + "/Music/.hidden"), "dot files move too");
    struct stat song {}, track {};
    ASSERT_EQ(::stat((target + "/Music/song.mp3").c_str(), &song), 0);
    EXPECT_EQ(song.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(song.st_mtim.tv_nsec, 123456789);
    ASSERT_EQ(::stat((target + "/Music/Album/track.flac").c_str(), &track), 0);
    EXPECT_EQ(track.st_mode & 0777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(target + "/Music/Pictures"));
    EXPECT_EQ(Content(home / "Music/Pictures/photo.jpg"), "a nested known folder stays");
    // Deleted where delete was ticked; the pointer-only folder keeps its content.
    EXPECT_FALSE(std::filesystem::exists(home / "Music/song.mp3"));
    EXPECT_FALSE(std::filesystem::exists(home / "Music/Album"));
    EXPECT_EQ(Content(home / "Documents/letter.txt"), "stays: only the pointer moves");
    // The registry names the targets, for xdg-user-dirs and GLib alike.
    EXPECT_EQ(Registered("MUSIC"), target + "/Music");
    EXPECT_EQ(Registered("DOCUMENTS"), target + "/Documents");
    EXPECT_EQ(Registered("PICTURES"), home / "Music/Pictures");
    if (!std::string(TROVEL_GLIB_READER).empty()) {
        EXPECT_EQ(OutputWithHome(std::string(TROVEL_GLIB_READER) + " MUSIC", home.path()), target + "/Music");
    }

    // The restore path puts both back at their default places; the content stays where it is.
    {
        LinuxPlatform platform(env, [](const std::string& element) { return element; });
        app::MainWindow window(platform);
        window.show();
        auto rows = Rows(window);
        window.ShowPage(window.restorePage);
        QTest::mouseClick(rows.at("My Music")->cbmove, Qt::LeftButton);
        QTest::mouseClick(rows.at("Personal")->cbmove, Qt::LeftButton);
        // Asked whether the content comes back too: Nem.
        QString asked;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            asked = box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("Nem")) button->click();
        });
        answer.start(10);
        window.bnextClick();
        answer.stop();
        EXPECT_TRUE(asked.contains(QStringLiteral("tartalma is"))) << asked.toStdString();
        ASSERT_EQ(window.ShownPage(), window.restoredPage);
        EXPECT_TRUE(rows.at("My Music")->cbredirected->isChecked());
        EXPECT_TRUE(rows.at("Personal")->cbredirected->isChecked());
        EXPECT_EQ(window.lcheckedcount->text(), "2");
    }
    EXPECT_EQ(Registered("MUSIC"), home / "Music");
    EXPECT_EQ(Registered("DOCUMENTS"), home / "Documents");
    EXPECT_TRUE(Content(target + "/Music/song.mp3") == std::string(100000, 's'));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
