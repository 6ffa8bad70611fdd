#include "widgets/row_widgets.h"

namespace trovel::widgets {

void ActionBox::mousePressEvent(QMouseEvent* event) {
    QCheckBox::mousePressEvent(event);
    // Keep the other buttons' presses too, so that their release comes back here.
    event->accept();
}

void ActionBox::mouseReleaseEvent(QMouseEvent* event) {
    QCheckBox::mouseReleaseEvent(event);
    event->accept();
    emit mouseReleased();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void SetAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

}  // namespace trovel::widgets
