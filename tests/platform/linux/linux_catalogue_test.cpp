// The catalogue built on the Linux layer in a scratch home: the user's folders with
// their paths, Hungarian descriptions and icons.
#include <QLabel>

#include <gtest/gtest.h>

#include "gui/window/main_window.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "platform/linux/folder_table.h"
#include "platform/linux/linux_platform.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

TEST(LinuxCatalogue, ListsTheScratchHomesFoldersWithDescriptionsAndIcons) {
    testing::TempDir home;
    home.Write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumentumok\"\nXDG_MUSIC_DIR=\"$HOME/Zene\"\n");
    home.MakeDir("Dokumentumok");
    home.MakeDir("Zene");
    LinuxPlatform platform(testing::ScratchEnvironment(home, home / "no-such-dir"), [](const std::string& element) { return element; });
    app::MainWindow window(platform);

    std::map<std::string, catalogue::FolderRow*> rows;
    for (catalogue::FolderRow* row : window.folders().framearr) rows[row->FolderDefinition.name] = row;
    ASSERT_EQ(rows.size(), FolderTable().size());

    catalogue::FolderRow* documents = rows.at("Personal");
    EXPECT_EQ(documents->lfoldername->text(), "Personal (My Documents)");
    EXPECT_EQ(documents->Path, home / "Dokumentumok");
    EXPECT_EQ(documents->FolderRedirectionCapability, 1u);
    EXPECT_EQ(documents->ldescription->text().toStdString(),
              "Dokumentumok, levelek és egyéb saját fájlok tárolására szolgáló mappa.");
    EXPECT_FALSE(documents->icon->pixmap().isNull());
    EXPECT_EQ(documents->icon->pixmap().size(), QSize(48, 48));

    EXPECT_EQ(rows.at("My Music")->Path, home / "Zene");
    // Pictures is not registered and its default folder does not exist: no path, still listed.
    EXPECT_EQ(rows.at("My Pictures")->Path, "");
    EXPECT_EQ(rows.at("Profile")->Path, home.path());
    EXPECT_NE(rows.at("Profile")->FolderRedirectionCapability, 1u);
    for (const auto& [name, row] : rows) {
        EXPECT_FALSE(row->ldescription->text().isEmpty()) << name;
        EXPECT_FALSE(row->icon->pixmap().isNull()) << name;
    }
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
