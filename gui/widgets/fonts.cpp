#include "gui/widgets/fonts.h"

#include <algorithm>

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>

namespace trovel::widgets {

QString UiFamily() {
    static const QString family = QFontDatabase::families().contains(QStringLiteral("Tahoma"))
                                      ? QStringLiteral("Tahoma")
                                      : QStringLiteral("DejaVu Sans Condensed");
    return family;
}

QFont Tahoma(int pixelHeight, int style) {
    QFont font(UiFamily());
    font.setPixelSize(pixelHeight);
    font.setBold(style & kBold);
    font.setItalic(style & kItalic);
    font.setUnderline(style & kUnderline);
    return font;
}

int AccentRoom() {
    static const int room = [] {
        int most = 0;
        for (int size : {11, 12, 13, 16, 19}) {
            const QFontMetrics metrics(Tahoma(size, kBold));
            most = std::max(most, -metrics.tightBoundingRect(QStringLiteral("ÁÖŐÜŰ")).top() - metrics.ascent());
        }
        return most;
    }();
    return room;
}

int AccentOverflow(const QCheckBox* box) {
    const QFontMetrics metrics(box->font());
    // The style centres the text's line in the box: the accents' top must not be above it.
    const int baseline = (box->height() - metrics.height()) / 2 + metrics.ascent();
    return std::max(0, -(baseline + metrics.tightBoundingRect(QStringLiteral("ÁÖŐÜŰ")).top()));
}

void GiveAccentRoom(QWidget* root) {
    // Check boxes grow by the room above and below, so their text stays centred where it was.
    for (QCheckBox* box : root->findChildren<QCheckBox*>()) {
        const int overflow = AccentOverflow(box);
        if (overflow > 0) box->setGeometry(box->x(), box->y() - overflow, box->width(), box->height() + 2 * overflow);
    }
    const int room = AccentRoom();
    if (room <= 0) return;
    QList<QLabel*> labels = root->findChildren<QLabel*>();
    if (auto* label = qobject_cast<QLabel*>(root)) labels << label;
    for (QLabel* label : labels) {
        if (label->contentsMargins().top() == room || !label->pixmap().isNull()) continue;  // pictures need none
        label->setContentsMargins(0, room, 0, 0);
        // Labels that size themselves to their text grow by the room; fixed ones keep their box.
        if (!label->wordWrap() && label->minimumSize() != label->maximumSize()) label->adjustSize();
    }
}

}  // namespace trovel::widgets
