#include <QApplication>

#include "gui/window/main_window.h"
#include "platform/system/system_platform.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    auto platform = trovel::platform::CreateSystemPlatform();
    trovel::app::MainWindow window(*platform);
    window.show();
    return application.exec();
}
