#include "app/anchors.h"

namespace trovel::app {

void Anchors::Apply(QSize size) const {
    const int dx = size.width() - designSize_.width();
    const int dy = size.height() - designSize_.height();
    for (const Item& item : items_) {
        QRect r = item.design;
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
