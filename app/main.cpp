#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include <cstdio>
#include <cstring>

#include "gui/window/main_window.h"
#include "gui/window/screen_fit.h"
#include "platform/system/system_platform.h"
#include "platform/messages.h"
#include "platform/system/user_language.h"

namespace {

constexpr const char* kHelp =
    "usage: trovel [--help | --version]\n"
    "The Trovel wizard: moves the special folders (Documents, Music, ...) to another drive\n"
    "and back, in a window. It needs a desktop; without one, use trovel-cli.\n"
    "  --help     this text\n"
    "  --version  the program's name and version\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before any window system is touched, so they work over SSH and in scripts.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("trovel %s\n", TROVEL_VERSION);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
    }
    // Without a display Qt would abort with a core dump; say what is missing instead.
    if (!trovel::platform::DisplayAvailable()) {
        std::fputs("trovel: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "start it on a desktop, or use trovel-cli\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    // The window speaks the user's language, as trovel-cli does: Hungarian under a Hungarian
    // locale, English wherever there is no catalogue.
    trovel::platform::SpeakTheUsersLanguage();
    // Qt's own words (a text field's context menu) in the same language, where Qt's catalogue
    // for it is installed; the window's buttons and boxes are worded by the program itself.
    QTranslator qtWords;
    const QString language = QString::fromStdString(trovel::platform::MessagesLanguage());
    if (language != QStringLiteral("C") &&
        qtWords.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtWords);
    QGuiApplication::setDesktopFileName(QStringLiteral(TROVEL_APP_ID));
    // The installed icon, by the desktop entry's name; the bundled pictures where none is installed.
    QIcon bundled;
    for (const int size : {16, 32, 48, 64, 128}) bundled.addFile(QStringLiteral(":/icons/trovel-%1.png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TROVEL_APP_ID), bundled));
    auto platform = trovel::platform::CreateSystemPlatform();
    trovel::app::MainWindow window(*platform);
    // On a screen too small for the window (a high scale on a small screen) it scrolls instead.
    const auto frame = trovel::app::FitToScreen(window, window.screen()->availableGeometry());
    if (frame) frame->show();
    else window.show();
    return application.exec();
}
