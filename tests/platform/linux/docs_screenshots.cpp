// The pictures in docs/, taken from the real wizard on the Linux backend: a scratch home with
// Hungarian folder names and a loop-mounted drive "Adatok" as the target. Run as root, under
// the offscreen platform and a Hungarian locale:
//   LC_ALL=hu_HU.UTF-8 QT_QPA_PLATFORM=offscreen docs_screenshots OUTDIR
// and the same pictures in English, as NAME-en.png, for an English user's home:
//   LC_ALL=en_US.UTF-8 QT_QPA_PLATFORM=offscreen docs_screenshots OUTDIR en
// One folder is refused (something else already stands at its place on the drive) and one is
// skipped (moved without content to a folder the drive lacks), so that reasons show.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "gui/window/about_window.h"
#include "gui/window/main_window.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"
#include "platform/linux/linux_platform.h"
#include "platform/messages.h"
#include "test_language.h"

namespace {

namespace fs = std::filesystem;
using trovel::catalogue::FolderRow;

void Write(const fs::path& file, std::size_t bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << std::string(bytes, 'x');
}

FolderRow* Named(trovel::app::MainWindow& window, const std::string& name) {
    for (FolderRow* row : window.folders().framearr)
        if (row->FolderDefinition.name == name) return row;
    std::fprintf(stderr, "no folder named %s\n", name.c_str());
    std::exit(4);
}

void Save(QWidget* widget, const fs::path& file) {
    QApplication::processEvents();
    if (!widget->grab().save(QString::fromStdString(file.string()))) std::exit(5);
    std::printf("%s\n", file.c_str());
}

QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Link, QColor(42, 130, 218));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    return dark;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && !(argc == 3 && std::string(argv[2]) == "en")) return 2;
    const fs::path out = fs::absolute(argv[1]);
    const bool english = argc == 3;
    // The pictures' names: "welcome-page.png", in English "welcome-page-en.png".
    const auto shot = [&](const char* name) { return out / (std::string(name) + (english ? "-en" : "") + ".png"); };
    // On a disk, not in a RAM folder: the drive must count as a fixed one.
    const fs::path scratch = fs::current_path() / "docs-shots";
    std::system(("umount '" + (scratch / "Adatok").string() + "' 2>/dev/null").c_str());
    fs::remove_all(scratch);
    const fs::path home = scratch / "home" / "anna";
    const fs::path drive = scratch / "Adatok";
    fs::create_directories(drive);
    const fs::path image = scratch / "adatok.ext4";
    if (std::system(("truncate -s 256M '" + image.string() + "' && mkfs.ext4 -q -L Adatok '" + image.string() +
                     "' && mount -o loop '" + image.string() + "' '" + drive.string() + "'")
                        .c_str()) != 0)
        return 3;
    std::ofstream(scratch / "fstab") << image.string() << " " << drive.string() << " ext4 defaults 0 2\n";

    // The folders' names as xdg-user-dirs makes them in the user's language.
    const char* hungarian[][2] = {{"DESKTOP", "Asztal"},     {"DOCUMENTS", "Dokumentumok"}, {"DOWNLOAD", "Letöltések"},
                                  {"MUSIC", "Zene"},         {"PICTURES", "Képek"},         {"VIDEOS", "Videók"},
                                  {"TEMPLATES", "Sablonok"}, {"PUBLICSHARE", "Nyilvános"}};
    const char* englishNames[][2] = {{"DESKTOP", "Desktop"},     {"DOCUMENTS", "Documents"}, {"DOWNLOAD", "Downloads"},
                                     {"MUSIC", "Music"},         {"PICTURES", "Pictures"},   {"VIDEOS", "Videos"},
                                     {"TEMPLATES", "Templates"}, {"PUBLICSHARE", "Public"}};
    const auto& names = english ? englishNames : hungarian;
    const fs::path documents = home / names[1][1], downloads = home / names[2][1], music = home / names[3][1],
                   pictures = home / names[4][1], videos = home / names[5][1];
    fs::create_directories(home / ".config");
    {
        std::ofstream dirs(home / ".config" / "user-dirs.dirs");
        for (const auto& name : names) {
            dirs << "XDG_" << name[0] << "_DIR=\"$HOME/" << name[1] << "\"\n";
            fs::create_directories(home / name[1]);
        }
    }
    std::ofstream(home / ".config" / "user-dirs.locale") << (english ? "en_US\n" : "hu_HU\n");
    Write(documents / "levelek" / "2026-11.txt", 180000);
    Write(documents / "számlák.pdf", 2400000);
    Write(music / "Bartók" / "Allegro barbaro.flac", 3100000);
    Write(pictures / "Balaton" / "IMG_0001.jpg", 1900000);
    Write(pictures / "Balaton" / "IMG_0002.jpg", 2100000);
    Write(videos / "nyaralás.mp4", 4200000);
    Write(downloads / "telepítő.deb", 650000);
    // Something of another's where the pictures would go (their default name, untranslated
    // here): the run refuses that folder.
    Write(drive / home.relative_path() / "Pictures", 646);

    QApplication application(argc, argv);
    // As the program does under each locale: Hungarian from the catalogue, or the code's English.
    trovel::testing_support::SpeakForTests(english ? "en_US.UTF-8" : "hu_HU.UTF-8");
    const bool dark = std::getenv("TROVEL_SHOTS_DARK") != nullptr;
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    trovel::platform::linux_desktop::Environment env;
    env.home = home.string();
    env.configHome = (home / ".config").string();
    env.configDirs = {(scratch / "xdg").string()};
    env.dataHome = (home / ".local" / "share").string();
    env.cacheHome = (home / ".cache").string();
    env.stateHome = (home / ".local" / "state").string();
    env.messageLocale = english ? "en_US.UTF-8" : "hu_HU.UTF-8";
    env.fstab = (scratch / "fstab").string();
    trovel::platform::linux_desktop::LinuxPlatform platform(env, [](const std::string& element) { return element; });
    trovel::app::MainWindow window(platform);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();

    if (dark) {
        window.ShowPage(window.redirectPage);
        for (const char* name : {"My Music", "Personal"}) Named(window, name)->cbmove->setChecked(true);
        window.WMFolderCheck(1);
        window.StartSizeWorker(false, trovel::catalogue::Operation::Move);
        Save(&window, shot("dark-palette"));
        window.close();
        std::system(("umount '" + drive.string() + "'").c_str());
        fs::remove_all(scratch);
        return 0;
    }

    Save(&window, shot("welcome-page"));
    window.ShowPage(window.overviewPage);
    window.StartSizeWorker(true, trovel::catalogue::Operation::Move);
    Save(&window, shot("overview-page"));
    window.ShowPage(window.welcomePage);

    window.ShowPage(window.redirectPage);
    for (const char* name : {"Personal", "My Pictures", "My Video"}) Named(window, name)->cbmove->setChecked(true);
    window.WMFolderCheck(1);
    window.StartSizeWorker(false, trovel::catalogue::Operation::Move);
    window.bnextClick();
    Named(window, "My Video")->cbcopy->setChecked(false);  // only pointed there, and it is not there
    window.bnextClick();
    Named(window, "Personal")->cbdelete->setChecked(true);
    window.bnextClick();
    for (trovel::space::DriveRow* row : window.drives().vObjarr)
        if (row->vLabel == "Adatok") {
            row->cbusethis->setChecked(true);
            window.WMDriveSelect(row->ID);
        }
    Save(&window, shot("drive-page"));

    // The wait window as a relocation shows it, with the copy's line.
    auto* wait = window.waitWindow;
    wait->BeginWait(trovel::widgets::QTr(trovel::app::WaitAboutWindow::kRelocatingText));
    QTimer::singleShot(50, wait, [&] {
        using trovel::widgets::QFill;
        using trovel::widgets::QTr;
        wait->lnowisprocessing->setText(QFill(QTr("In progress: %1"), {QStringLiteral("Personal (My Documents)")}));
        // A copy under way, its numbers written as the locale writes them.
        const std::string point = platform.DecimalSeparator();
        const std::string left = trovel::platform::Fill(
            trovel::platform::Tr(", about %1 left"), {trovel::platform::Fill(trovel::platform::Tr("%1 s"), {"1"})});
        wait->SetTransferLine(QFill(QTr("Copy: %1"), {QString::fromStdString("1" + point + "20 MB / 2" + point + "46 MB, 12" +
                                                                             point + "40 MB/s" + left)}));
        wait->OfferCancel([] {});
        Save(wait, shot("wait-window"));
        wait->OfferCancel({});
        wait->EndWait();
    });
    wait->ShowAbout(true);

    window.bnextClick();  // the status page runs the relocation
    Save(&window, shot("status-page"));
    for (FolderRow* row : window.folders().framearr)
        if (row->FolderDefinition.name == "My Pictures" && row->IsAttached()) Save(row, shot("failed-folder"));

    trovel::app::MainWindow again(platform);  // the restore path, in a window of its own
    again.show();
    again.ShowPage(again.restorePage);
    Save(&again, shot("restore-page"));
    for (FolderRow* row : again.folders().framearr)
        if (row->FolderDefinition.name == "Personal" || row->FolderDefinition.name == "My Music")
            row->cbmove->setChecked(true);
    again.WMFolderCheck(1);
    // The folders only, not their content: the box that asks is answered No.
    QTimer::singleShot(100, &again, [] {
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(shown); box != nullptr && box->isVisible())
                box->button(QMessageBox::No)->click();
    });
    again.bnextClick();  // the restored page restores them
    Save(&again, shot("restored-page"));
    again.close();
    window.close();
    std::system(("umount '" + drive.string() + "'").c_str());
    fs::remove_all(scratch);
    return 0;
}
