#include "app/fonts.h"

#include <QFile>
#include <QFontDatabase>

namespace trovel::app {

QFont Tahoma(int pixelHeight, int style) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelHeight);
    font.setBold(style & kBold);
    font.setItalic(style & kItalic);
    font.setUnderline(style & kUnderline);
    return font;
}

void RegisterTahoma() {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
    for (const char* path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (QFile::exists(QString::fromLatin1(path))) QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    }
}

}  // namespace trovel::app
