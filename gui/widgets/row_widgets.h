#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>

#include <string_view>

class QScrollBar;

namespace trovel::widgets {

// A check box that reports every mouse-button release that follows a press on it,
// whatever the button and wherever the pointer is, after the box has toggled.
// Keyboard toggles report nothing.
class ActionBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

signals:
    void mouseReleased();

protected:
    // The whole box answers to the mouse, not only its indicator and caption.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A label that acts on a left click.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A QString's UTF-16 code units, for the core's text comparisons.
inline std::u16string_view Utf16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Sets a label's text and sizes the label to it, as an auto-sized label does.
void SetAutoSizedText(QLabel* label, const QString& text);

// The box a row draws its content in: filled with exactly its palette's window colour and
// edged with a thin line, which the style's own group box would blend with a shade.
class RowBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A drop-down list whose items keep their blanks in the list but show without them in the
// box itself, where the blanks would push a word past the arrow of a narrow box.
class TrimmedComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    QString shownText() const { return currentText().trimmed(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Colours a row's box: the light blue of a chosen row, or white. Folder and drive rows alike.
void PaintRowBox(QWidget* box, bool chosen);

// The list's scroll bar for `rows` rows of `rowHeight` pixels, laid 3 pixels apart, in a page
// area `pageHeight` pixels high: shown with its range, or hidden at 0 when the list fits.
void SetListScrollRange(QScrollBar* bar, int rowHeight, int rows, int pageHeight);

}  // namespace trovel::widgets
