#include "gui/widgets/row_widgets.h"

#include <QPainter>
#include <QStylePainter>
#include <QScrollBar>

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

void TrimmedComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = shownText();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void RowBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(QColor(208, 208, 208));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PaintRowBox(QWidget* box, bool chosen) {
    static const QColor kChosen(234, 244, 255);
    static const QColor kPlain(255, 255, 255);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, chosen ? kChosen : kPlain);
    box->setPalette(palette);
}

void SetListScrollRange(QScrollBar* bar, int rowHeight, int rows, int pageHeight) {
    bar->hide();
    const int range = (rowHeight + 3) * rows + 7 - pageHeight + 3;
    if (rows < 1 || range < 0) {
        bar->setMaximum(0);
        return;
    }
    bar->setMaximum(range);
    bar->show();
}

}  // namespace trovel::widgets
