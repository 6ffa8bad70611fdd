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
#include "gui/space/drive_catalogue.h"
#include "core/basics/path_slicing.h"
#include "core/space/size_text.h"
#include "gui/relocation/redirect_thread.h"
#include "gui/space/size_thread.h"

namespace trovel::app {
namespace {

using catalogue::Operation;
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

QPushButton* WelcomeButton(QWidget* page, const char* name, int y, int height, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(75, y, 385, height);
    button->setFont(Tahoma(16));
    return button;
}

}  // namespace

void MainWindow::BuildPages() {
    bmainlist = WelcomeButton(welcomePage, "bmainlist", 56, 65, "Az összes speciális mappa áttekintése");
    bmainmove = WelcomeButton(welcomePage, "bmainmove", 160, 66, "A speciális mappák áthelyezése");
    bmainrestore = WelcomeButton(welcomePage, "bmainrestore", 264, 65,
                                 "A speciális mappák visszahelyezése eredeti helyükre");
    connect(bmainlist, &QPushButton::clicked, this, [this] { ShowPage(overviewPage); });
    connect(bmainmove, &QPushButton::clicked, this, [this] { ShowPage(redirectPage); });
    connect(bmainrestore, &QPushButton::clicked, this, [this] { ShowPage(restorePage); });

    static const PaneText kPanes[] = {
        {&MainWindow::welcomePane, "Üdvözöljük",
         "A varázsló segít Önnek áthelyezni másik meghajtóra vagy partícióra azokat a speciális mappákat, "
         "melyek személyes információit tartalmazzák.",
         120, "Label21", "Label22", 369, 389},
        {&MainWindow::overviewPane, "Az összes speciális\nmappa áttekintése",
         "Itt található az összes speciális mappa, amely regisztrálva van a Windows rendszerében a jelenlegi "
         "és az összes felhasználó számára.",
         110, "Label23", "Label24", 369, 389},
        {&MainWindow::redirectPane, "Mappák áthelyezése",
         "Itt találhatók azok a speciális mappák, melyeket átirányíthat egy másik meghajtóra, partícióra. "
         "Válassza ki azokat, amelyeket át szeretne helyezni, majd kattintson a \"Méret kiszámítása\" gombra, "
         "hogy kiszámítsa és kijelezze az áthelyezni kívánt mappák teljes méretét (szükséges a művelet "
         "folytatásához).",
         140, "Label27", "Label28", 369, 389},
        {&MainWindow::copyPane, "Másolás",
         "Azon mappák listája, melyeket átirányításra jelölt. A \"Másolás\" bejelölésével a mappa tartalmát is "
         "áthelyezi, ha nem jelöli be, akkor csak a mappa lesz átirányítva.",
         115, "Label37", "Label38", 367, 389},
        {&MainWindow::deletePane, "Törlés\n(áthelyezés)",
         "Itt találhatók azok a mappák, melyeket áthelyezésre jelölt. Adja meg azokat, melyeket az eredeti "
         "helyükről töröl áthelyezésük után. Ezzel helyet szabadíthat fel a forrás meghajtón.",
         140, "Label25", "Label26", 369, 389},
        {&MainWindow::drivesPane, "Hely",
         "Itt találhatók a helyi meghajtók, partíciók. Jelölje ki azt a meghajtót vagy partíciót, ahová "
         "átirányítja a speciális Windows mappákat.",
         100, "Label29", "Label30", 359, 377},
        {&MainWindow::statusPane, "Állapot",
         "Az átirányítással majdnem elkészült. Mielőtt a művelet teljesen befejeződne, ki kell jelentkeznie a "
         "fiókjából, majd újra bejelentkeznie. A fiókból való kilépéshez kattintson a \"Kilépés\" gombra.",
         150, "Label11", "Label31", 361, 383},
        {&MainWindow::restorePane, "Helyreállítás",
         "Jelölje ki azokat a mappákat, melyeket vissza kíván helyezni az eredeti helyükre, és nyomja meg a "
         "\"Tovább\" gombot. Ez a művelet csak javítási célokat szolgál. Befejezése után a fájlokat, mappákat "
         "helyezze vissza az eredeti helyükre.",
         130, "Label20", "Label32", 369, 389},
        {&MainWindow::restoredPane, "Helyreállítás\nbefejeződött",
         "A helyreállítás majdnem kész. Kattintson a \"Kilépés\" gombra a kijelentkezéshez és a művelet "
         "befejezéséhez, vagy a \"Bezárás\" gombra (piros X a jobb felső sarokban), ha később szeretne "
         "kijelentkezni a fiókjából.",
         150, "Label33", "Label34", 199, 221},
    };
    // Where the system is not Windows, the overview speaks of the system as such.
    const bool desktop = platform_.Naming() == platform::FolderNaming::Desktop;
    for (const PaneText& text : kPanes) {
        QWidget* pane = this->*text.pane;
        AddHeading(pane, QString::fromUtf8(text.heading));
        const char* explanation = text.text;
        if (desktop && text.pane == &MainWindow::overviewPane)
            explanation = "Itt található az összes speciális mappa, amely regisztrálva van a rendszerben a jelenlegi "
                          "és az összes felhasználó számára.";
        AddExplanation(pane, QString::fromUtf8(explanation), text.textHeight);
        connect(AddLink(pane, text.webLink, text.webY, QStringLiteral("A program weboldala")),
                &widgets::ClickLabel::clicked, this, &MainWindow::OpenProgramWebPage);
        connect(AddLink(pane, text.donationLink, text.donationY, QStringLiteral("Adományok")),
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

    lallgetsize = AddLink(overviewPane, "lallgetsize", 171, QStringLiteral("Méret kiszámítása"));
    cbuserfolders = AddBox(redirectPane, "cbuserfolders", 185, QStringLiteral("A jelenlegi felhasználó mappái"), true);
    cbcommonfolders = AddBox(redirectPane, "cbcommonfolders", 200, QStringLiteral("Az összes felhasználó mappái"), false);
    lredirectall = AddLink(redirectPane, "lredirectall", 238, QStringLiteral("Mind kijelölése"));
    lredirectunall = AddLink(redirectPane, "lredirectunall", 255, QStringLiteral("Egyet sem"));
    lredirectgetsize = AddLink(redirectPane, "lredirectgetsize", 288, QStringLiteral("Méret kiszámítása"));
    lcopyall = AddLink(copyPane, "lcopyall", 163, QStringLiteral("Mind kijelölése"));
    lcopyunall = AddLink(copyPane, "lcopyunall", 185, QStringLiteral("Egyet sem"));
    lcopygetsize = AddLink(copyPane, "lcopygetsize", 210, QStringLiteral("Méret kiszámítása"));
    ldeleteall = AddLink(deletePane, "Label39", 193, QStringLiteral("Mind kijelölése"));
    ldeleteunall = AddLink(deletePane, "Label40", 215, QStringLiteral("Egyet sem"));
    ldeletegetsize = AddLink(deletePane, "Label41", 238, QStringLiteral("Méret kiszámítása"));
    ldrivesrefresh = AddLink(drivesPane, "ldrivesrefresh", 147, QStringLiteral("Frissítés"));
    cbrestoreuserfolders = AddBox(restorePane, "CheckBox2", 176, QStringLiteral("A jelenlegi felhasználó mappái"), true);
    cbrestorecommonfolders = AddBox(restorePane, "CheckBox1", 197, QStringLiteral("Az összes felhasználó mappái"), true);
    lrestoreall = AddLink(restorePane, "lrestoreall", 230, QStringLiteral("Mind kijelölése"));
    lrestoreunall = AddLink(restorePane, "lrestoreunall", 255, QStringLiteral("Egyet sem"));

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
    if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QStringLiteral("Kilépés"));
    const QString counts = ShowClosingText(statusPane, true);
    // A long run may end while the user is elsewhere: the desktop says how it ended.
    if (run.elapsed() >= notifyAfterMs && !isActiveWindow())
        platform_.Notify("A mappák áthelyezése befejeződött", counts.toStdString());
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
        if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QStringLiteral("Kilépés"));
        return;
    }
    folders_->ResetToDefault(restoredPage, pageScrollBar);
    folders_->ShowLastMoves();
    widgets::SetAutoSizedText(lfolderslisted, QString::number(folders_->Fkflistcount));
    ShowButtons(false, false);
    ShowListHeader(true);
    ShowLeftPane(restoredPane);
    if (folders_->CountTicked(Operation::Redirected)) bexit->setText(QStringLiteral("Kilépés"));
    ShowClosingText(restoredPane, false);
}

QString MainWindow::ShowClosingText(QWidget* pane, bool relocation) {
    auto* label = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Text"));
    if (label == nullptr) return {};
    // The layout's own words, which ask for a sign-out, stand only when a folder did change.
    if (!label->property("layoutText").isValid()) label->setProperty("layoutText", label->text());
    const int done = static_cast<int>(folders_->Fkfselectedcount);
    const int failed = static_cast<int>(folders_->Fkflistcount) - done;
    QString counts = QStringLiteral("%1: %2 mappa").arg(relocation ? QStringLiteral("Áthelyezve") : QStringLiteral("Visszahelyezve")).arg(done);
    if (failed > 0) counts += QStringLiteral(", nem sikerült: %1 mappa").arg(failed);
    counts += QStringLiteral(".");
    QString rest;
    if (done > 0)
        rest = label->property("layoutText").toString();
    else
        rest = QStringLiteral("Egyetlen mappa sem változott, ezért nem kell kijelentkeznie. A soroknál olvashatja, "
                              "mi történt az egyes mappákkal. A program bezárásához kattintson a \"Kilépés\" gombra.");
    if (failed > 0 && done > 0)
        rest += QStringLiteral(" A soroknál olvashatja, mi történt a többi mappával.");
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
                       "Meg kell jelenítenie a kiválasztott mappák teljes méretét, mielőtt folytatja. Megteszi ezt most?",
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
            "A kijelölt mappák tartalma is kerüljön vissza az eredeti helyére?", "Trovel",
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
        platform_.ShowMessageBox("A kijelentkezés nem sikerült: a munkamenet-kezelő nem válaszolt. Kérjük, "
                                 "jelentkezzen ki, majd jelentkezzen be újra, hogy a változások érvénybe lépjenek.",
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
    waitWindow->BeginWait(QString::fromUtf8(WaitAboutWindow::kRelocatingText));
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
