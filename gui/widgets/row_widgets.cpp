#include "gui/widgets/row_widgets.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>
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

void ActionBox::keyPressEvent(QKeyEvent* event) {
    const bool before = isChecked();
    QCheckBox::keyPressEvent(event);
    if (isChecked() != before) emit keyToggled();
}

void ActionBox::keyReleaseEvent(QKeyEvent* event) {
    const bool before = isChecked();
    QCheckBox::keyReleaseEvent(event);
    if (isChecked() != before) emit keyToggled();
}

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) { setFocusPolicy(Qt::StrongFocus); }
ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event->isAutoRepeat()) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void SetAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
    // A bare number in the header is read out with what it counts.
    const QString spoken = label->property(kSpokenAs).toString();
    if (!spoken.isEmpty()) label->setAccessibleName(spoken + QStringLiteral(": ") + text);
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
    const QColor background = chosen ? kChosen : kPlain;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, background);
    // Fixed as a pair with the fixed background: the text, and the boxes' own faces.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, kRowText);
        palette.setColor(group, QPalette::Text, kRowText);
        palette.setColor(group, QPalette::ButtonText, kRowText);
        palette.setColor(group, QPalette::Base, kPlain);
        palette.setColor(group, QPalette::Button, QColor(240, 240, 240));
        palette.setColor(group, QPalette::Link, QColor(0, 0, 128));
    }
    // The status boxes are disabled, and still say the outcome: a grey that reads on both.
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(105, 105, 105));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(105, 105, 105));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(105, 105, 105));
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(240, 240, 240));
    palette.setColor(QPalette::Disabled, QPalette::Window, background);
    box->setPalette(palette);
}

void SetRowTextColour(QWidget* label, const QColor& colour) {
    QPalette palette = label->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, colour);
    label->setPalette(palette);
}

namespace {
double Luminance(const QColor& colour) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}
}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor LinkColour(const QPalette& palette) {
    static const QColor kNavy(0, 0, 128);
    const QColor background = palette.color(QPalette::Window);
    if (ContrastRatio(kNavy, background) >= 4.5) return kNavy;
    const QColor link = palette.color(QPalette::Link);
    const QColor text = palette.color(QPalette::WindowText);
    return ContrastRatio(link, background) >= 4.5 ? link : text;
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
