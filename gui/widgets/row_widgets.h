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
// whatever the button and wherever the pointer is, after the box has toggled; and every
// toggle made from the keyboard, after it is made.
class ActionBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

signals:
    void mouseReleased();
    void keyToggled();

protected:
    // The whole box answers to the mouse, not only its indicator and caption.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

// A label that acts on a left click, and, as a link does, takes the keyboard focus by Tab
// and acts on Enter and Space; it is drawn with a focus frame while it has the focus.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A QString's UTF-16 code units, for the core's text comparisons.
inline std::u16string_view Utf16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Sets a label's text and sizes the label to it, as an auto-sized label does. A label with the
// property kSpokenAs is named for screen readers by that and its text ("…száma: 3").
void SetAutoSizedText(QLabel* label, const QString& text);
inline constexpr const char* kSpokenAs = "spokenAs";

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
// The row's text takes fixed dark colours with it, whatever the palette: a dark theme's light
// text would vanish on the row's fixed light background.
void PaintRowBox(QWidget* box, bool chosen);

// Text colours on a row, each readable on both of its backgrounds (at least 4.5:1).
inline const QColor kRowText(0, 0, 0);
inline const QColor kSuccessText(0, 100, 0);
inline const QColor kFailureText(170, 0, 0);
void SetRowTextColour(QWidget* label, const QColor& colour);

// The contrast ratio of two colours, 1 to 21, as the accessibility guidelines measure it.
double ContrastRatio(const QColor& a, const QColor& b);

// A link's colour on `background`: the navy of the layout where it reads well, else the
// palette's own link colour, else its text colour (whichever contrasts the most).
QColor LinkColour(const QPalette& palette);

// The list's scroll bar for `rows` rows of `rowHeight` pixels, laid 3 pixels apart, in a page
// area `pageHeight` pixels high: shown with its range, or hidden at 0 when the list fits.
void SetListScrollRange(QScrollBar* bar, int rowHeight, int rows, int pageHeight);

}  // namespace trovel::widgets
