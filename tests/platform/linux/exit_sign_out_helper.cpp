// The wizard's last page in a process of its own, so that its session and system buses can be
// private mock buses (DBUS_SESSION_BUS_ADDRESS, DBUS_SYSTEM_BUS_ADDRESS), never the real ones.
// usage: exit_sign_out_helper HOME restore-and-exit | nothing-and-exit | restore-and-close
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>

#include <string>

#include "gui/window/main_window.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "platform/linux/linux_platform.h"
#include "test_language.h"
#include "gui/widgets/row_widgets.h"

int main(int argc, char* argv[]) {
    if (argc != 3) return 2;
    QApplication application(argc, argv);
    trovel::testing_support::SpeakForTests();  // as the program does: the window speaks Hungarian
    const std::string home = argv[1];
    const std::string mode = argv[2];
    trovel::platform::linux_desktop::Environment env;
    env.home = home;
    env.configHome = home + "/.config";
    env.configDirs = {home + "/xdg"};
    env.dataHome = home + "/.local/share";
    env.cacheHome = home + "/.cache";
    env.stateHome = home + "/.local/state";
    trovel::platform::linux_desktop::LinuxPlatform platform(env, [](const std::string& element) { return element; });
    trovel::app::MainWindow window(platform);
    window.show();
    window.ShowPage(window.restorePage);
    if (mode != "nothing-and-exit")
        for (trovel::catalogue::FolderRow* row : window.folders().framearr)
            if (row->FolderDefinition.name == "My Music") row->cbmove->setChecked(true);
    // Whether the content comes back too: Nem, the restore of the paths alone.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Nem")) button->click();
    });
    answer.start(10);
    window.bnextClick();
    answer.stop();
    if (window.ShownPage() != window.restoredPage) return 3;
    if (mode == "restore-and-close") window.close();
    else window.bexitClick();
    return 0;
}
