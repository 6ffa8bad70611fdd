#include "gui/window/anchors.h"

namespace trovel::app {

void Anchors::Apply(QSize size) const {
    const int dx = size.width() - designSize_.width();
    const int dy = size.height() - designSize_.height();
    for (const Item& item : items_) {
        QRect r = item.design;
        // A side the anchors do not stretch keeps the size the control has now: a label
        // sized to its text keeps that size, not the one it had when it was registered.
        const bool stretchesAcross = (item.anchors & kAnchorLeft) && (item.anchors & kAnchorRight);
        const bool stretchesDown = (item.anchors & kAnchorTop) && (item.anchors & kAnchorBottom);
        if (!stretchesAcross) r.setWidth(item.widget->width());
        if (!stretchesDown) r.setHeight(item.widget->height());
        if (item.anchors & kAnchorRight) {
            if (item.anchors & kAnchorLeft) r.setWidth(r.width() + dx);
            else r.moveLeft(r.left() + dx);
        }
        if (item.anchors & kAnchorBottom) {
            if (item.anchors & kAnchorTop) r.setHeight(r.height() + dy);
            else r.moveTop(r.top() + dy);
        }
        item.widget->setGeometry(r);
    }
}

}  // namespace trovel::app
