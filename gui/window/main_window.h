#pragma once

#include <QWidget>

class QWheelEvent;

#include <memory>
#include <mutex>

#include "gui/window/anchors.h"
#include "core/basics/list_types.h"
#include "gui/catalogue/wizard_window.h"
#include "platform/platform.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QStackedWidget;

namespace trovel::catalogue {
class FolderCatalogue;
}
namespace trovel::space {
class DriveCatalogue;
}

namespace trovel::widgets {
class ClickLabel;
}
namespace trovel::relocation {
class RedirectWorker;
}

namespace trovel::app {

class WaitAboutWindow;

// The kind of page shown, which says what the header tools and the scroll bar follow.
enum class PageKind { Welcome, FolderList, Drives };

// The main window: header tools, the page area with its scroll bar, the left pane
// and the wizard buttons. It owns the catalogues and every row.
class MainWindow : public QWidget, public catalogue::WizardWindow {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 762;
    static constexpr int kClientHeight = 498;

    explicit MainWindow(platform::Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    catalogue::FolderCatalogue& folders() { return *folders_; }
    space::DriveCatalogue& drives() { return *drives_; }

    // What the catalogues may reach of the window.
    platform::Platform& platform() override { return platform_; }
    catalogue::SharedValues& shared() override { return shared_; }
    std::mutex& progressLock() override { return progressLock_; }
    QWidget* messageWindow() override { return this; }
    QLabel* checkedCountLabel() override { return lcheckedcount; }
    QLabel* listedCountLabel() override { return lfolderslisted; }
    QLabel* sizeSumLabel() override { return lsizesum; }
    QScrollBar* listScrollBar() override { return pageScrollBar; }
    int pageAreaHeight() const override;
    void SetNextEnabled(bool enabled) override;
    void SetProgressLine(const QString& text) override;
    void SetTransferLine(const QString& text) override;
    void OfferCancel(std::function<void()> onCancel) override;
    void EndWait() override;

    PageKind pageKind = PageKind::Welcome;
    WaitAboutWindow* waitWindow = nullptr;
    int creationWidth = 0;
    int creationHeight = 0;

    QLabel* lheader;
    QLabel* lsizesum;
    QComboBox* cbsort;
    QLabel* lcheckedcount;
    QLabel* lfolderslisted;
    QLabel* lfind;
    QLineEdit* searchEdit;
    QCheckBox* cbfindinname;
    QCheckBox* cbfindinpath;
    QStackedWidget* leftPane;
    QStackedWidget* pageArea;
    QScrollBar* pageScrollBar;
    QPushButton* bexit;
    QPushButton* babout;
    QLabel* creditLabel;
    QPushButton* bprevious;
    QPushButton* bnext;

    // Pages of the page area, and the left-pane page shown with each.
    QWidget* welcomePage;
    QWidget* overviewPage;
    QWidget* redirectPage;
    QWidget* copyPage;
    QWidget* deletePage;
    QWidget* drivesPage;
    QWidget* statusPage;
    QWidget* restorePage;
    QWidget* restoredPage;
    QWidget* welcomePane;
    QWidget* overviewPane;
    QWidget* redirectPane;
    QWidget* copyPane;
    QWidget* deletePane;
    QWidget* drivesPane;
    QWidget* statusPane;
    QWidget* restorePane;
    QWidget* restoredPane;

    // The welcome page's three ways on, and the left pane's links and boxes.
    QPushButton* bmainlist;
    QPushButton* bmainmove;
    QPushButton* bmainrestore;
    widgets::ClickLabel* lallgetsize;
    QCheckBox* cbuserfolders;
    QCheckBox* cbcommonfolders;
    widgets::ClickLabel* lredirectall;
    widgets::ClickLabel* lredirectunall;
    widgets::ClickLabel* lredirectgetsize;
    widgets::ClickLabel* lcopyall;
    widgets::ClickLabel* lcopyunall;
    widgets::ClickLabel* lcopygetsize;
    widgets::ClickLabel* ldeleteall;
    widgets::ClickLabel* ldeleteunall;
    widgets::ClickLabel* ldeletegetsize;
    widgets::ClickLabel* ldrivesrefresh;
    QCheckBox* cbrestoreuserfolders;
    QCheckBox* cbrestorecommonfolders;
    widgets::ClickLabel* lrestoreall;
    widgets::ClickLabel* lrestoreunall;

    // Makes `page` the page shown: its show handler runs while the page being left is
    // still the one shown, then the page changes.
    void ShowPage(QWidget* page);
    QWidget* ShownPage() const;

    // What each page does as it is entered (its show handler).
    void EnterWelcomePage();
    void EnterOverviewPage();
    void EnterRedirectPage();
    void EnterCopyPage();
    void EnterDeletePage();
    void EnterDrivesPage();
    void EnterStatusPage();
    void EnterRestorePage();
    void EnterRestoredPage();

    // The closing text of the status or restored pane: how many folders changed and how many
    // not, and the sign-out only when something changed.
    // Returns the line that counts them.
    QString ShowClosingText(QWidget* pane, bool relocation);
    // A relocation run that lasted this long and ended while the window was not active is told
    // by a desktop notification.
    qint64 notifyAfterMs = 10000;

    void bnextClick();
    void bpreviousClick();
    void bexitClick();
    void baboutClick();
    // The credit line and the links at the foot of the left panes.
    void OpenProgramWebPage();
    void OpenDonationPage();

    // Stores the worker's parameters, starts it and waits behind the wait window.
    // `all`: every folder with a path; otherwise the listed folders whose `operation` box
    // (move or copy) is ticked.
    void StartSizeWorker(bool all, catalogue::Operation operation);
    // Hands the chosen folders and the drive root to the relocation worker, takes the rows
    // off screen, runs the worker behind the wait window and returns when it has ended.
    // `restoring`: the ticked folders' content back to their default places instead.
    void StartRedirectWorker(QWidget* Obj, const std::string& destdrv, bool restoring = false);

    // At start-up: offers to undo or finish the relocations a killed run left half done, and
    // shows what became of each (interrupted_runs.cpp).
    void AskAboutInterruptedRuns();
    // When the session ends or the application quits: a relocation in progress is stopped as
    // by the wait window's Mégse, and the window returns only once it is rolled back.
    void StopRunBeforeQuit();

    // Shows or hides the header tools for the kind of page shown.
    void ShowListHeader(bool show);
    void searchEditKeyDown(int key);
    void cbsortChange(int index);

    // Shifts the children of the page shown by the scroll bar's position.
    void pageScrollBarChange(int position);
    // Scrolls the list so that `widget`, a control on the page shown, is in view (when tabbing
    // onto a row's box below or above the visible part).
    void ScrollIntoView(QWidget* widget);
    // Message 1025 from a drive row, and 1026 from a folder row.
    void WMDriveSelect(qintptr id);
    void WMFolderCheck(qintptr operationId);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    int wheelRemainder_ = 0;  // wheel movement not yet a whole step
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void NameForScreenReaders();
    void BuildPages();
    QWidget* AddPage(QStackedWidget* pages, const char* name);
    void ShowLeftPane(QWidget* pane);
    void ShowButtons(bool back, bool next);

    platform::Platform& platform_;
    catalogue::SharedValues shared_;
    std::mutex progressLock_;
    Anchors anchors_{{kClientWidth, kClientHeight}};
    std::unique_ptr<catalogue::FolderCatalogue> folders_;
    std::unique_ptr<space::DriveCatalogue> drives_;
    // The relocation worker while one runs (StartRedirectWorker), for StopRunBeforeQuit.
    relocation::RedirectWorker* runningRedirect_ = nullptr;
    // The restore's answer to whether the content comes back too (Igen).
    bool restoreContent_ = false;
    // Waits for the running relocation worker to end, running the effects it posts meanwhile.
    void WaitForRedirectWorker();
};

// The scroll shift a page's children carry, kept with the page.
int PageTag(const QWidget* page);
void SetPageTag(QWidget* page, int tag);

}  // namespace trovel::app
