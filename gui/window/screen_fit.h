#pragma once

#include <QRect>
#include <QScrollArea>

#include <memory>

namespace trovel::app {

class MainWindow;

// The main window on a screen too small for it (a 1280 x 1024 screen at scale 2 offers 640 x
// 512): a window of the screen's size that scrolls the main window, every button reachable.
class ScreenFitFrame : public QScrollArea {
    Q_OBJECT
public:
    explicit ScreenFitFrame(MainWindow& window);
    // The main window is its caller's: it is handed back, not deleted with the frame.
    ~ScreenFitFrame() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindow& window_;
};

// Room a window manager's frame takes around a window, at most: kept free of the screen.
inline constexpr QSize kFrameAllowance{16, 48};

// Whether `window` with its frame fits into `available` (the screen less its panels); if not,
// the frame that shows it there, sized to the screen. Null when it fits as it is.
std::unique_ptr<ScreenFitFrame> FitToScreen(MainWindow& window, const QRect& available);

}  // namespace trovel::app
