#pragma once

#include <QDialog>

#include <functional>

#include "gui/widgets/translated.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace trovel::widgets {
class ClickLabel;
}

namespace trovel::app {

class MainWindow;

// The About box, and the wait window that blocks the main window while a worker runs.
class WaitAboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit WaitAboutWindow(MainWindow* owner);

    QLabel* ltrovel;
    QProgressBar* waitBar;
    widgets::ClickLabel* labout;
    widgets::ClickLabel* ldonate;
    QLabel* lwait;
    QLabel* lnowisprocessing;
    // Under the progress line while content is copied: bytes, rate and time left, and the
    // button that stops the copy (shown only where the copy can be stopped).
    QLabel* ltransfer;
    QPushButton* bcancel;
    bool statenext = false;
    bool stateprevious = false;

    // wait true: the wait window, open until EndWait; false: the About box, until the
    // user closes it. Returns when the window has closed.
    void ShowAbout(bool wait);

    // Before a worker starts: the next wait lasts until EndWait, and says `waitText`.
    void BeginWait(const QString& waitText = widgets::QTr(kMeasuringText));
    // Looked up where they are shown.
    static constexpr const char* kMeasuringText = platform::TrLater("Calculating the sizes, please wait...");
    static constexpr const char* kRelocatingText = platform::TrLater("Moving the folders, please wait...");
    // The worker's work is done: the wait window closes, or does not stay open if it
    // has not appeared yet. Runs on the window's thread.
    void EndWait();
    bool Waiting() const { return waitMode_ && !workDone_; }
    // The worker of the last wait has ended it (EndWait).
    bool WorkDone() const { return workDone_; }

    void SetTransferLine(const QString& text);
    // Shows the cancel button, which calls `onCancel` once; an empty function hides it.
    void OfferCancel(std::function<void()> onCancel);

    // The client area of a window of `clientSize` centred, frame and all, on the owner's frame.
    static QRect CentredOn(const QRect& ownerFrame, const QRect& ownerClient, QSize clientSize);

    void laboutClick();
    void ldonateClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;


private:
    // Centred on the main window, its lines emptied and the main window's buttons held
    // while shown; the buttons as they were once hidden.
    void OnShown();
    void OnHidden();

    MainWindow* owner_;
    bool waitMode_ = false;
    bool workDone_ = true;

    std::function<void()> onCancel_;
    void LayTransferLine();
};

}  // namespace trovel::app
