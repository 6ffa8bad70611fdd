#include "gui/window/screen_fit.h"

#include <QCloseEvent>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

#include "gui/window/main_window.h"

namespace trovel::app {

ScreenFitFrame::ScreenFitFrame(MainWindow& window) : window_(window) {
    setObjectName(QStringLiteral("screenFitFrame"));
    setWindowTitle(window.windowTitle());
    setWindowIcon(window.windowIcon());
    setFrameShape(QFrame::NoFrame);
    // The main window keeps its own size; the frame scrolls it, and Tab scrolls to each control.
    setWidgetResizable(false);
    setWidget(&window);
    window.show();
}

ScreenFitFrame::~ScreenFitFrame() {
    takeWidget();
    window_.setParent(nullptr);
}

void ScreenFitFrame::closeEvent(QCloseEvent* event) {
    // Closing the frame is closing the main window, with whatever that does first.
    if (!window_.close()) {
        event->ignore();
        return;
    }
    QScrollArea::closeEvent(event);
}

std::unique_ptr<ScreenFitFrame> FitToScreen(MainWindow& window, const QRect& available) {
    const QSize room = available.size() - kFrameAllowance;
    const QSize wanted = window.size();
    if (wanted.width() <= room.width() && wanted.height() <= room.height()) return nullptr;
    auto frame = std::make_unique<ScreenFitFrame>(window);
    const int bar = frame->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Scroll bars only where needed: each takes room the other direction may then lack.
    QSize size(std::min(wanted.width() + bar, room.width()), std::min(wanted.height() + bar, room.height()));
    frame->resize(size.boundedTo(room));
    frame->move(available.topLeft());
    return frame;
}

}  // namespace trovel::app
