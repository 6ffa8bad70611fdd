#pragma once

#include <functional>
#include <mutex>

#include "core/basics/list_types.h"
#include "platform/platform.h"

class QLabel;
class QScrollBar;
class QString;
class QWidget;

namespace trovel::catalogue {

// What the catalogues and their workers' effects need of the main window, and no more:
// the platform, the values the pages share, the header's counters, the list's scroll bar
// and the wait window's lines. Everything here is used on the window's thread only.
class WizardWindow {
public:
    virtual platform::Platform& platform() = 0;
    virtual SharedValues& shared() = 0;
    // Taken around every write of the wait window's progress line.
    virtual std::mutex& progressLock() = 0;
    // The window the rows send their messages to (and that keeps them while off screen).
    virtual QWidget* messageWindow() = 0;

    virtual QLabel* checkedCountLabel() = 0;
    virtual QLabel* listedCountLabel() = 0;
    virtual QLabel* sizeSumLabel() = 0;
    virtual QScrollBar* listScrollBar() = 0;
    virtual int pageAreaHeight() const = 0;
    virtual void SetNextEnabled(bool enabled) = 0;

    // The wait window: its progress line, the line under it (bytes, rate, time left), the
    // cancel button (shown while `onCancel` is set) and the end of the wait.
    virtual void SetProgressLine(const QString& text) = 0;
    virtual void SetTransferLine(const QString& text) = 0;
    virtual void OfferCancel(std::function<void()> onCancel) = 0;
    virtual void EndWait() = 0;

protected:
    ~WizardWindow() = default;
};

}  // namespace trovel::catalogue
