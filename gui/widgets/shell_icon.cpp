#include "gui/widgets/shell_icon.h"

#include <QIcon>
#include <QImage>

namespace trovel::widgets {

QPixmap ShellIconPixmap(platform::Platform& platform, const std::string& path) {
    constexpr int kExtraLarge = 48;
    const platform::ShellIcon icon = platform.ShellIconOf(path);
    if (!icon.argb.empty() && icon.width > 0 && icon.height > 0 &&
        icon.argb.size() >= static_cast<std::size_t>(icon.width) * static_cast<std::size_t>(icon.height)) {
        QImage image(icon.width, icon.height, QImage::Format_ARGB32);
        for (int y = 0; y < icon.height; ++y)
            for (int x = 0; x < icon.width; ++x)
                image.setPixel(x, y, icon.argb[static_cast<std::size_t>(y * icon.width + x)]);
        return QPixmap::fromImage(image);
    }
    const QIcon fallback(QString::fromStdString(icon.fallbackResource));
    const QIcon themed = icon.themeName.empty()
                             ? fallback
                             : QIcon::fromTheme(QString::fromStdString(icon.themeName), fallback);
    return themed.pixmap(kExtraLarge, kExtraLarge);
}

}  // namespace trovel::widgets
