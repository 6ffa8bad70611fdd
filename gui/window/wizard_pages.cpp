// The wizard's pages: what each shows when it is entered, the left pane, and the ways
// between pages (the welcome buttons, Next, Back, Exit and About).
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QElapsedTimer>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>

#include "gui/window/about_window.h"
#include "gui/widgets/fonts.h"
#include "gui/window/left_pane.h"
#include "gui/window/links.h"
#include "gui/window/main_window.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"
#include "gui/space/drive_catalogue.h"
#include "core/basics/path_slicing.h"
#include "core/space/size_text.h"
#include "gui/relocation/redirect_thread.h"
#include "gui/space/size_thread.h"

namespace trovel::app {
namespace {

using catalogue::Operation;
using platform::Tr;
using platform::TrLater;
using widgets::QFill;
using widgets::QTr;
using widgets::QTrN;
using widgets::Tahoma;

struct PaneText {
    QWidget* MainWindow::*pane;
    const char* heading;
    const char* text;
    int textHeight;
    const char* webLink;
    const char* donationLink;
    int webY;
    int donationY;
};

QPushButton* WelcomeButton(QWidget* page, const char* name, int y, int height, const QString& caption) {
    auto* button = new QPushButton(caption, page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(75, y, 385, height);
    button->setFont(Tahoma(16));
    return button;
}

}  // namespace

void MainWindow::BuildPages() {
    bmainlist = WelcomeButton(welcomePage, "bmainlist", 56, 65, QTr("Overview of all special folders"));
    bmainmove = WelcomeButton(welcomePage, "bmainmove", 160, 66, QTr("Move the special folders"));
    bmainrestore = WelcomeButton(welcomePage, "bmainrestore", 264, 65,
                                 QTr("Put the special folders back"));
    connect(bmainlist, &QPushButton::clicked, this, [this] { ShowPage(overviewPage); });
    connect(bmainmove, &QPushButton::clicked, this, [this] { ShowPage(redirectPage); });
    connect(bmainrestore, &QPushButton::clicked, this, [this] { ShowPage(restorePage); });

    static const PaneText kPanes[] = {
        {&MainWindow::welcomePane, TrLater("Welcome"),
         TrLater("This wizard helps you move the special folders that hold your personal information to "
                 "another drive or partition."),
         120, "Label21", "Label22", 369, 389},
        {&MainWindow::overviewPane, TrLater("Overview of all\nspecial folders"),
         TrLater("Here are all the special folders registered in Windows for the current user and for all users."),
         110, "Label23", "Label24", 369, 389},
        {&MainWindow::redirectPane, TrLater("Move folders"),
         TrLater("Here are the special folders you can redirect to another drive or partition. Select the "
                 "ones you want to move, then click \"Calculate size\" to calculate and show the total size "
                 "of the folders to move (needed to go on)."),
         140, "Label27", "Label28", 369, 389},
        {&MainWindow::copyPane, TrLater("Copy"),
         TrLater("The folders you marked for redirection. Tick \"Copy\" to move a folder's contents too; "
                 "without it, only the folder is redirected."),
         115, "Label37", "Label38", 367, 389},
        {&MainWindow::deletePane, TrLater("Delete\n(move)"),
         TrLater("Here are the folders you marked for moving. Choose the ones to delete from their original "
                 "place after the move. This frees space on the source drive."),
         140, "Label25", "Label26", 369, 389},
        {&MainWindow::drivesPane, TrLater("Location"),
         TrLater("Here are the local drives and partitions. Select the drive or partition to redirect the "
                 "special Windows folders to."),
         100, "Label29", "Label30", 359, 377},
        {&MainWindow::statusPane, TrLater("Status"),
         TrLater("The redirection is almost done. Before it can finish, you have to sign out of your "
                 "account and sign in again. To sign out, click \"Exit\"."),
         150, "Label11", "Label31", 361, 383},
        {&MainWindow::restorePane, TrLater("Restore"),
         TrLater("Select the folders you want to put back in their original place and press \"Next\". This "
                 "is only meant for repairs. When it is done, move the files and folders back to their "
                 "original place."),
         130, "Label20", "Label32", 369, 389},
        {&MainWindow::restoredPane, TrLater("Restore\nfinished"),
         TrLater("The restore is almost done. Click \"Exit\" to sign out and finish, or \"Close\" (the red "
                 "X in the top right corner) to sign out of your account later."),
         150, "Label33", "Label34", 199, 221},
    };
    // Where the system is not Windows, the overview speaks of the system as such.
    const bool desktop = platform_.Naming() == platform::FolderNaming::Desktop;
    for (const PaneText& text : kPanes) {
        QWidget* pane = this->*text.pane;
        AddHeading(pane, QTr(text.heading));
        const char* explanation = text.text;
        if (desktop && text.pane == &MainWindow::overviewPane)
            explanation = TrLater("Here are all the special folders registered in the system for the current user and "
                                  "for all users.");
        AddExplanation(pane, QTr(explanation), text.textHeight);
        connect(AddLink(pane, text.webLink, text.webY, QTr("Web page")),
                &widgets::ClickLabel::clicked, this, &MainWindow::OpenProgramWebPage);
        connect(AddLink(pane, text.donationLink, text.donationY, QTr("Donations")),
                &widgets::ClickLabel::clicked, this, &MainWindow::OpenDonationPage);
    }

    // Each page is named after its heading, for screen readers; the page area's page too.
    const std::pair<QWidget*, QWidget*> pagesAndPanes[] = {
        {welcomePage, welcomePane}, {overviewPage, overviewPane}, {redirectPage, redirectPane},
        {copyPage, copyPane},       {deletePage, deletePane},     {drivesPage, drivesPane},
        {statusPage, statusPane},   {restorePage, restorePane},   {restoredPage, restoredPane},
    };
    for (const auto& [page, pane] : pagesAndPanes) {
        const auto* heading = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Heading"));
        const QString title = heading != nullptr ? heading->text().replace(QLatin1Char('\n'), QLatin1Char(' ')) : QString();
        pane->setAccessibleName(title);
        page->setAccessibleName(title);
        if (auto* text = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Text")))
            pane->setAccessibleDescription(text->text());
    }

    lallgetsize = AddLink(overviewPane, "lallgetsize", 171, QTr("Calculate size"));
    cbuserfolders = AddBox(redirectPane, "cbuserfolders", 185, QTr("Your folders"), true);
    cbcommonfolders = AddBox(redirectPane, "cbcommonfolders", 200, QTr("All users' folders"), false);
    lredirectall = AddLink(redirectPane, "lredirectall", 238, QTr("Select all"));
    lredirectunall = AddLink(redirectPane, "lredirectunall", 255, QTr("None"));
    lredirectgetsize = AddLink(redirectPane, "lredirectgetsize", 288, QTr("Calculate size"));
    lcopyall = AddLink(copyPane, "lcopyall", 163, QTr("Select all"));
    lcopyunall = AddLink(copyPane, "lcopyunall", 185, QTr("None"));
    lcopygetsize = AddLink(copyPane, "lcopygetsize", 210, QTr("Calculate size"));
    ldeleteall = AddLink(deletePane, "Label39", 193, QTr("Select all"));
    ldeleteunall = AddLink(deletePane, "Label40", 215, QTr("None"));
    ldeletegetsize = AddLink(deletePane, "Label41", 238, QTr("Calculate size"));
    ldrivesrefresh = AddLink(drivesPane, "ldrivesrefresh", 147, QTr("Refresh"));
    cbrestoreuserfolders = AddBox(restorePane, "CheckBox2", 176, QTr("Your folders"), true);
    cbrestorecommonfolders = AddBox(restorePane, "CheckBox1", 197, QTr("All users' folders"), true);
    lrestoreall = AddLink(restorePane, "lrestoreall", 230, QTr("Select all"));
    lrestoreunall = AddLink(restorePane, "lrestoreunall", 255, QTr("None"));

    using widgets::ClickLabel;
    const auto checkAll = [this](bool tick, Operation operation) {
        return [this, tick, operation] { folders_->CheckAll(tick, operation, ShownPage(), pageScrollBar, lfolderslisted); };
    };
    connect(lredirectall, &ClickLabel::clicked, this, checkAll(true, Operation::Move));
    connect(lrestoreall, &ClickLabel::clicked, this, checkAll(true, Operation::Move));
    connect(lredirectunall, &ClickLabel::clicked, this, checkAll(false, Operation::Move));
    connect(lrestoreunall, &ClickLabel::clicked, this, checkAll(false, Operation::Move));
    connect(lcopyall, &ClickLabel::clicked, this, checkAll(true, Operation::Copy));
    connect(lcopyunall, &ClickLabel::clicked, this, checkAll(false, Operation::Copy));
    connect(ldeleteall, &ClickLabel::clicked, this, checkAll(true, Operation::Delete));
    connect(ldeleteunall, &ClickLabel::clicked, this, checkAll(false, Operation::Delete));
    connect(lallgetsize, &ClickLabel::clicked, this, [this] { StartSizeWorker(true, Operation::Move); });
    connect(lredirectgetsize, &ClickLabel::clicked, this, [this] { StartSizeWorker(false, Operation::Move); });
    connect(lcopygetsize, &ClickLabel::clicked, this, [this] { StartSizeWorker(false, Operation::Copy); });
    connect(ldeletegetsize, &ClickLabel::clicked, this, [this] { StartSizeWorker(false, Operation::Copy); });
    // After a category filter Next follows what is still ticked: a filter that takes every
    // ticked folder off the list leaves nothing to go on with.
    for (QCheckBox* box : {cbuserfolders, cbcommonfolders})
        connect(box, &QCheckBox::clicked, this, [this] {
            folders_->FilterList(cbuserfolders, cbcommonfolders, ShownPage(), pageScrollBar, lfolderslisted);
            bnext->setEnabled(folders_->CountTicked(Operation::Move));
        });
    for (QCheckBox* box : {cbrestoreuserfolders, cbrestorecommonfolders})
        connect(box, &QCheckBox::clicked, this, [this] {
            folders_->FilterList(cbrestoreuserfolders, cbrestorecommonfolders, ShownPage(), pageScrollBar, lfolderslisted);
            bnext->setEnabled(folders_->CountTicked(Operation::Move));
        });
    connect(ldrivesrefresh, &ClickLabel::clicked, this, [this] {
        drives_->GetDrivesInfo(drivesPage, pageScrollBar);
        drives_->Sort(cbsort->currentIndex());
        bnext->setEnabled(drives_->SelectDrive(drives_->IDSelecyed));
    });

    connect(bnext, &QPushButton::clicked, this, &MainWindow::bnextClick);
    connect(bprevious, &QPushButton::clicked, this, &MainWindow::bpreviousClick);
    connect(bexit, &QPushButton::clicked, this, &MainWindow::bexitClick);
    connect(babout, &QPushButton::clicked, this, &MainWindow::baboutClick);
}

QWidget* MainWindow::ShownPage() const { return pageArea->currentWidget(); }

void MainWindow::ShowPage(QWidget* page) {
    if (page == welcomePage) EnterWelcomePage();
    else if (page == overviewPage) EnterOverviewPage();
    else if (page == redirectPage) EnterRedirectPage();
    else if (page == copyPage) EnterCopyPage();
    else if (page == deletePage) EnterDeletePage();
    else if (page == drivesPage) EnterDrivesPage();
    else if (page == statusPage) EnterStatusPage();
    else if (page == restorePage) EnterRestorePage();
    else if (page == restoredPage) EnterRestoredPage();
    pageArea->setCurrentWidget(page);
}

void MainWindow::ShowLeftPane(QWidget* pane) { leftPane->setCurrentWidget(pane); }

void MainWindow::ShowButtons(bool back, bool next) {
    bprevious->setVisible(back);
    bnext->setVisible(next);
}

void MainWindow::EnterWelcomePage() {
    pageKind = PageKind::Welcome;
    pageScrollBar->setMaximum(0);
    pageScrollBar->hide();
    ShowButtons(false, false);
    ShowListHeader(false);
    ShowLeftPane(welcomePane);
}

void MainWindow::EnterOverviewPage() {
    pageKind = PageKind::FolderList;
    folders_->GetKFAll(overviewPage, pageScrollBar);
    ShowLeftPane(overviewPane);
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    bprevious->show();
    bexit->show();
    ShowListHeader(true);
}

void MainWindow::EnterRedirectPage() {
    pageKind = PageKind::FolderList;
    folders_->FilterList(cbuserfolders, cbcommonfolders, redirectPage, pageScrollBar, lfolderslisted);
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowButtons(true, true);
    bnext->setEnabled(folders_->CountTicked(Operation::Move));
    bexit->show();
    ShowListHeader(true);
    ShowLeftPane(redirectPane);
}

void MainWindow::EnterCopyPage() {
    pageKind = PageKind::FolderList;
    ShowListHeader(true);
    folders_->GetKFDefinedListCopy(copyPage, pageScrollBar);
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowLeftPane(copyPane);
    bnext->setEnabled(folders_->CountTicked(Operation::Copy));
}

void MainWindow::EnterDeletePage() {
    pageKind = PageKind::FolderList;
    ShowListHeader(true);
    folders_->GetKFDefinedListDelete(deletePage);
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowLeftPane(deletePane);
    bnext->setEnabled(folders_->CountTicked(Operation::Delete));
}

void MainWindow::EnterDrivesPage() {
    pageKind = PageKind::Drives;
    drives_->ListDrives(drivesPage, pageScrollBar);
    ShowListHeader(false);
    ShowLeftPane(drivesPane);
    if (drives_->IDSelecyed > -1) drives_->SelectDrive(drives_->IDSelecyed);
    drives_->RefreshList();
    const space::SizeText sum = space::SizeToStr(static_cast<long double>(shared_.selectedSizeSum), platform_.DecimalSeparator());
    widgets::SetAutoSizedText(lsizesum, QString::fromStdString(sum.number + sum.unit));
    bnext->setEnabled(drives_->SelectDrive(drives_->IDSelecyed));
}

void MainWindow::EnterStatusPage() {
    pageKind = PageKind::FolderList;
    ShowListHeader(true);
    ShowButtons(false, false);
    ShowLeftPane(statusPane);
    QElapsedTimer run;
    run.start();
    StartRedirectWorker(statusPage, shared_.chosenDriveRoot);
    folders_->HookItems(statusPage);
    folders_->ShowLastMoves();
    if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QTr("Exit"));
    const QString counts = ShowClosingText(statusPane, true);
    // A long run may end while the user is elsewhere: the desktop says how it ended.
    if (run.elapsed() >= notifyAfterMs && !isActiveWindow())
        platform_.Notify(Tr("Moving the folders has finished"), counts.toStdString());
}

void MainWindow::EnterRestorePage() {
    pageKind = PageKind::FolderList;
    folders_->GetKFDefinedListRedirect(restorePage, pageScrollBar);
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowButtons(true, true);
    bexit->show();
    bnext->setEnabled(folders_->CountTicked(Operation::Move));
    ShowListHeader(true);
    ShowLeftPane(restorePane);
}

void MainWindow::EnterRestoredPage() {
    pageKind = PageKind::FolderList;
    if (restoreContent_) {
        // The content comes back through the relocation run, with the wait window and its Mégse.
        ShowListHeader(true);
        ShowButtons(false, false);
        ShowLeftPane(restoredPane);
        StartRedirectWorker(restoredPage, relocation::kDefaultPlace, true);
        folders_->HookItems(restoredPage);
        folders_->ShowRestoredRows();
        folders_->ShowLastMoves();
        widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
        if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QTr("Exit"));
        return;
    }
    folders_->ResetToDefault(restoredPage, pageScrollBar);
    folders_->ShowLastMoves();
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowButtons(false, false);
    ShowListHeader(true);
    ShowLeftPane(restoredPane);
    if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QTr("Exit"));
    ShowClosingText(restoredPane, false);
}

QString MainWindow::ShowClosingText(QWidget* pane, bool relocation) {
    auto* label = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Text"));
    if (label == nullptr) return {};
    // The layout's own words, which ask for a sign-out, stand only when a folder did change.
    if (!label->property("layoutText").isValid()) label->setProperty("layoutText", label->text());
    const int done = static_cast<int>(folders_->Fkfselectedcount);
    const int failed = static_cast<int>(folders_->Fkflistcount) - done;
    const QString count = QString::number(done);
    QString counts = relocation ? QFill(QTrN("Moved: %1 folder", "Moved: %1 folders", done), {count})
                                : QFill(QTrN("Put back: %1 folder", "Put back: %1 folders", done), {count});
    if (failed > 0) counts += QFill(QTrN(", failed: %1 folder", ", failed: %1 folders", failed), {QString::number(failed)});
    counts += QStringLiteral(".");
    QString rest;
    if (done > 0)
        rest = label->property("layoutText").toString();
    else
        rest = QTr("No folder changed, so you need not sign out. Each row tells what happened to its folder. "
                   "To close the program, click \"Exit\".");
    if (failed > 0 && done > 0)
        rest += QTr(" The rows tell what happened to the other folders.");
    label->setText(counts + QStringLiteral("\n\n") + rest);
    // Grown to its text, above the foot links.
    label->setFixedHeight(std::max(label->height(), label->heightForWidth(label->width())));
    // The links below make way for the longer text (on the restored pane they stand close under it).
    int top = label->geometry().bottom() + 10;
    QList<widgets::ClickLabel*> links = pane->findChildren<widgets::ClickLabel*>();
    std::sort(links.begin(), links.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    for (widgets::ClickLabel* link : links) {
        if (link->y() < label->y()) continue;
        if (link->y() < top) link->move(link->x(), top);
        top = link->geometry().bottom() + 4;
    }
    return counts;
}

void MainWindow::bnextClick() {
    QWidget* page = ShownPage();
    if (page == redirectPage) {
        ShowPage(copyPage);
    } else if (page == copyPage) {
        if (folders_->FkfSizegot) {
            ShowPage(deletePage);
        } else if (platform_.ShowMessageBox(
                       Tr("The total size of the selected folders must be shown before you go on. Do it now?"),
                       "Trovel", platform::kMbYesNo | platform::kMbIconQuestion) == platform::kIdYes) {
            StartSizeWorker(false, Operation::Copy);
        }
    } else if (page == deletePage) {
        ShowPage(drivesPage);
    } else if (page == drivesPage) {
        ShowPage(statusPage);
    } else if (page == restorePage) {
        // As the desktop's own folder dialog asks when a folder is put back.
        const int answer = platform_.ShowMessageBox(
            Tr("Should the contents of the selected folders go back to their original place too?"), "Trovel",
            platform::kMbYesNoCancel | platform::kMbIconQuestion);
        if (answer == platform::kIdCancel) return;  // Mégse: back to the page
        restoreContent_ = answer == platform::kIdYes;
        ShowPage(restoredPage);
    }
}

void MainWindow::bpreviousClick() {
    QWidget* page = ShownPage();
    if (page == drivesPage) ShowPage(deletePage);
    else if (page == deletePage) ShowPage(copyPage);
    else if (page == copyPage) ShowPage(redirectPage);
    else if (page == redirectPage || page == overviewPage || page == restorePage) ShowPage(welcomePage);
}

void MainWindow::bexitClick() {
    const bool runFinished = ShownPage() == statusPage || ShownPage() == restoredPage;
    // The frame that scrolls it on a small screen, if there is one, goes with it.
    window()->close();
    // Where no session manager takes the request, the user is told to do it by hand rather
    // than left to think the changes are complete.
    if (runFinished && folders_->Fkfselectedcount > 0 &&
        !platform_.SignOut(platform::kExitLogoff | platform::kExitForceIfHung, 0))
        platform_.ShowMessageBox(Tr("Signing out failed: the session manager did not answer. Please sign out "
                                    "and sign in again for the changes to take effect."),
                                 "Trovel", platform::kMbIconInformation);
}

void MainWindow::baboutClick() { waitWindow->ShowAbout(false); }

void MainWindow::OpenProgramWebPage() { platform_.ShellOpen(kProgramWebPage); }
void MainWindow::OpenDonationPage() { platform_.ShellOpen(kDonationPage); }

void MainWindow::StartSizeWorker(bool all, Operation operation) {
    // The rows are hidden while they are measured, and the focus walks off them meanwhile:
    // the list and the focus come back where the user left them, not at the list's end.
    QPointer<QWidget> focused = QApplication::focusWidget();
    const int scroll = pageScrollBar->value();
    waitWindow->BeginWait();
    space::SizeWorker worker(*folders_, *this, all, operation);
    worker.start();
    if (!worker.isRunning() && !worker.isFinished()) {
        waitWindow->EndWait();  // no thread to be had: there is nothing to wait for
        return;
    }
    waitWindow->ShowAbout(true);
    // The wait window closes with the worker's last effect; the handler goes on only
    // once the worker has returned.
    worker.wait();
    pageScrollBar->setValue(std::min(scroll, pageScrollBar->maximum()));
    if (focused != nullptr && focused->isVisible() && focused->window() == this) focused->setFocus();
}

void MainWindow::StartRedirectWorker(QWidget* Obj, const std::string& destdrv, bool restoring) {
    waitWindow->BeginWait(QTr(WaitAboutWindow::kRelocatingText));
    // The worker gets the rows' choices now; the rows stay off screen until it has ended.
    relocation::RedirectWorker worker(*folders_, *this, Obj, destdrv,
                                      restoring ? folders_->RestoreSnapshot() : folders_->RedirectSnapshot());
    folders_->HookItems(nullptr);
    worker.start();
    if (!worker.isRunning() && !worker.isFinished()) {
        waitWindow->EndWait();  // no thread to be had: nothing was relocated
        return;
    }
    runningRedirect_ = &worker;
    QThread::msleep(100);
    waitWindow->ShowAbout(true);
    // The wait window closes before the run's end only when the application is told to quit
    // (the session ends): the copy in progress is stopped and rolled back before it may.
    if (!waitWindow->WorkDone()) StopRunBeforeQuit();
    WaitForRedirectWorker();
    runningRedirect_ = nullptr;
}

void MainWindow::ShowListHeader(bool show) {
    if (show == searchEdit->isHidden()) {
        for (QWidget* tool : std::initializer_list<QWidget*>{lfind, searchEdit, cbfindinname, cbfindinpath, lcheckedcount,
                                                             lfolderslisted})
            tool->setVisible(show);
        const QSignalBlocker quiet(cbsort);  // choosing the shown order is no change by the user
        if (pageKind == PageKind::Drives) {
            lsizesum->setVisible(!show);
            cbsort->setVisible(!show);
            cbsort->setCurrentIndex(drives_->vSortCriteria);
        } else {
            lsizesum->setVisible(show);
            cbsort->setVisible(show);
            cbsort->setCurrentIndex(folders_->vSortCriteria);
        }
    }
    if (!searchEdit->isHidden()) searchEdit->setFocus();
    else if (!bprevious->isHidden()) bprevious->setFocus();
}

void MainWindow::searchEditKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    if (!cbfindinname->isChecked() && !cbfindinpath->isChecked()) {
        cbfindinname->setChecked(true);
        cbfindinpath->setChecked(true);
    }
    folders_->FindItems(searchEdit->text(), cbfindinname->isChecked(), cbfindinpath->isChecked(), ShownPage(), pageScrollBar,
                    lfolderslisted);
}

void MainWindow::cbsortChange(int index) {
    if (ShownPage() == drivesPage) {
        drives_->Sort(index);
        if (!pageScrollBar->isHidden()) pageScrollBar->setFocus();
    } else {
        folders_->Sort(index);
        searchEdit->setFocus();
    }
}

}  // namespace trovel::app
