#include "gui/window/main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>

#include "gui/window/about_window.h"
#include "gui/widgets/fonts.h"
#include "gui/widgets/window_messages.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"
#include "gui/space/drive_catalogue.h"

namespace trovel::app {
namespace {

using platform::TrLater;
using widgets::QFill;
using widgets::QTr;
using widgets::Tahoma;

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, QRect geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A label at a point, sized to its text.
QLabel* PlaceLabel(QWidget* parent, const char* name, QPoint at, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
}

QString Hint(const QString& words) { return QStringLiteral("   ") + words + QStringLiteral("   "); }

}  // namespace

int PageTag(const QWidget* page) { return page->property("tag").toInt(); }
void SetPageTag(QWidget* page, int tag) { page->setProperty("tag", tag); }

MainWindow::MainWindow(platform::Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trovel"));
    setFont(Tahoma(11));
    resize(kClientWidth, kClientHeight);
    // The window may only grow taller than it was created, never wider or narrower.
    setFixedWidth(kClientWidth);
    setMinimumHeight(kClientHeight);

    BuildControls();
    NameForScreenReaders();
    waitWindow = new WaitAboutWindow(this);
    creationWidth = kClientWidth;
    creationHeight = kClientHeight;
    BuildPages();
    pageArea->setCurrentWidget(welcomePage);
    leftPane->setCurrentWidget(welcomePane);

    folders_ = std::make_unique<catalogue::FolderCatalogue>(this);
    drives_ = std::make_unique<space::DriveCatalogue>(this);
    drives_->GetDrivesInfo(drivesPage, pageScrollBar);
    folders_->GetFolders();
    folders_->MakeExclusionList();
    folders_->ShowLastMoves();
    folders_->SortByName();
    drives_->SortBySize();
    widgets::GiveAccentRoom(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { ScrollIntoView(now); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { StopRunBeforeQuit(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { StopRunBeforeQuit(); });
    EnterWelcomePage();
    // Once the window is up, before the welcome page takes input.
    QTimer::singleShot(0, this, &MainWindow::AskAboutInterruptedRuns);
}

MainWindow::~MainWindow() {
    // Focus moves while the children go; by then this is no longer a whole window to scroll.
    disconnect(qApp, nullptr, this, nullptr);
}

int MainWindow::pageAreaHeight() const { return pageArea->height(); }
void MainWindow::SetNextEnabled(bool enabled) { bnext->setEnabled(enabled); }
void MainWindow::SetProgressLine(const QString& text) { waitWindow->lnowisprocessing->setText(text); }
void MainWindow::SetTransferLine(const QString& text) { waitWindow->SetTransferLine(text); }
void MainWindow::OfferCancel(std::function<void()> onCancel) { waitWindow->OfferCancel(std::move(onCancel)); }
void MainWindow::EndWait() {
    waitWindow->SetTransferLine({});
    waitWindow->OfferCancel({});
    waitWindow->EndWait();
}

QWidget* MainWindow::AddPage(QStackedWidget* pages, const char* name) {
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(name));
    SetPageTag(page, 0);
    pages->addWidget(page);
    return page;
}

void MainWindow::BuildControls() {
    lheader = Place<QLabel>(this, "lheader", {4, 8, 300, 23});
    lheader->setText(QStringLiteral("Trovel"));
    lheader->setFont(Tahoma(19));

    lsizesum = PlaceLabel(this, "lsizesum", {544, 1}, QStringLiteral("0"));
    lsizesum->setToolTip(Hint(QTr("Size of the selected folders")));

    cbsort = Place<widgets::TrimmedComboBox>(this, "cbsort", {544, 17, 65, 21});
    cbsort->addItems({Hint(QTr("Name")), Hint(QTr("Path")), Hint(QTr("Size"))});
    cbsort->setCurrentIndex(0);
    cbsort->setToolTip(Hint(QTr("Sort")));
    connect(cbsort, &QComboBox::currentIndexChanged, this, &MainWindow::cbsortChange);

    lcheckedcount = PlaceLabel(this, "lcheckedcount", {631, 1}, QStringLiteral("0"));
    lcheckedcount->setToolTip(Hint(QTr("Number of selected folders")));
    lfolderslisted = PlaceLabel(this, "lfolderslisted", {631, 22}, QStringLiteral("0"));
    lfolderslisted->setToolTip(Hint(QTr("All folders")));

    lfind = PlaceLabel(this, "lfind", {658, 1}, QTr("Search:"));
    searchEdit = Place<QLineEdit>(this, "Edit2", {658, 17, 101, 21});
    searchEdit->installEventFilter(this);

    cbfindinname = Place<QCheckBox>(this, "cbfindinname", {730, 0, 17, 17});
    cbfindinname->setChecked(true);
    cbfindinname->setToolTip(Hint(QTr("Name")));
    cbfindinpath = Place<QCheckBox>(this, "cbfindinpath", {745, 0, 17, 17});
    cbfindinpath->setChecked(true);
    cbfindinpath->setToolTip(Hint(QTr("Path")));
    cbfindinpath->hide();

    leftPane = Place<QStackedWidget>(this, "PCLeftPane", {0, 38, 195, 426});
    pageArea = Place<QStackedWidget>(this, "PageControl1", {200, 38, 542, 426});

    welcomePage = AddPage(pageArea, "TSWelcome");
    overviewPage = AddPage(pageArea, "TSListAll");
    redirectPage = AddPage(pageArea, "Redirect");
    copyPage = AddPage(pageArea, "TSCopy");
    deletePage = AddPage(pageArea, "TSDelete");
    drivesPage = AddPage(pageArea, "TSDrives");
    statusPage = AddPage(pageArea, "TSStatus");
    restorePage = AddPage(pageArea, "TSRestore");
    restoredPage = AddPage(pageArea, "TSRestored");
    welcomePane = AddPage(leftPane, "TSWelcomeL");
    overviewPane = AddPage(leftPane, "TSListAllL");
    redirectPane = AddPage(leftPane, "TSRedirectL");
    copyPane = AddPage(leftPane, "TSCopyL");
    deletePane = AddPage(leftPane, "TSDeleteL");
    drivesPane = AddPage(leftPane, "TSDrivesL");
    statusPane = AddPage(leftPane, "TSStatusL");
    restorePane = AddPage(leftPane, "TSRestoreL");
    restoredPane = AddPage(leftPane, "TSRestoredL");

    // Down to the foot of the client area: 416 pixels high it would reach below the window.
    pageScrollBar = Place<QScrollBar>(this, "ScrollBar1", {745, 92, 17, kClientHeight - 92});
    pageScrollBar->setOrientation(Qt::Vertical);
    pageScrollBar->setSingleStep(10);
    pageScrollBar->setPageStep(50);
    pageScrollBar->setMaximum(0);
    pageScrollBar->hide();
    connect(pageScrollBar, &QScrollBar::valueChanged, this, &MainWindow::pageScrollBarChange);
    pageScrollBar->installEventFilter(this);  // its wheel steps are the window's: 25 pixels each

    const QFont buttonFont = Tahoma(12);
    bexit = Place<QPushButton>(this, "bexit", {11, 467, 98, 25});
    bexit->setText(QTr("Exit"));
    babout = Place<QPushButton>(this, "babout", {126, 467, 91, 25});
    babout->setText(QTr("About"));
    auto* credit = new widgets::ClickLabel(QTr("Trovel 2\nThe Trovel developers"),
                                             this);
    credit->setObjectName(QStringLiteral("Label1"));
    credit->move(252, 467);
    credit->adjustSize();
    credit->setCursor(Qt::PointingHandCursor);
    credit->installEventFilter(this);
    connect(credit, &widgets::ClickLabel::clicked, this, &MainWindow::OpenProgramWebPage);
    creditLabel = credit;
    // Behind the page area, which covers it when the window is made taller, as in the form.
    pageArea->setAutoFillBackground(true);
    credit->stackUnder(pageArea);
    bprevious = Place<QPushButton>(this, "bprevious", {557, 467, 75, 25});
    bprevious->setText(QTr("<  Back"));
    bprevious->hide();
    bnext = Place<QPushButton>(this, "bnext", {659, 467, 75, 25});
    bnext->setText(QTr("Next  >"));
    bnext->hide();
    for (QPushButton* button : {bexit, babout, bprevious, bnext}) button->setFont(buttonFont);
    // Alt and a letter press a button; the captions stay as the layout has them, unmarked. The
    // letter is the caption's first in each language.
    const struct {
        QPushButton* button;
        QString description;
    } mnemonics[] = {{bnext, QTr("Alt+N")}, {bprevious, QTr("Alt+B")}, {bexit, QTr("Alt+E")}, {babout, QTr("Alt+A")}};
    for (const auto& mnemonic : mnemonics) {
        auto* shortcut = new QShortcut(QKeySequence(mnemonic.description, QKeySequence::PortableText), this);
        connect(shortcut, &QShortcut::activated, mnemonic.button, [button = mnemonic.button] {
            if (button->isVisible() && button->isEnabled()) button->click();
        });
        mnemonic.button->setAccessibleDescription(QFill(QTr("Shortcut: %1"), {mnemonic.description}));
    }

    setTabOrder(pageArea, bnext);
    setTabOrder(bnext, bprevious);
    setTabOrder(bprevious, bexit);
    setTabOrder(bexit, pageScrollBar);
    setTabOrder(pageScrollBar, searchEdit);
    setTabOrder(searchEdit, leftPane);
    setTabOrder(leftPane, babout);
    setTabOrder(babout, cbfindinname);
    setTabOrder(cbfindinname, cbfindinpath);
    setTabOrder(cbfindinpath, cbsort);

    anchors_.Add(lcheckedcount, kAnchorRight | kAnchorTop);
    anchors_.Add(lfolderslisted, kAnchorRight | kAnchorTop);
    anchors_.Add(searchEdit, kAnchorRight | kAnchorTop);
    anchors_.Add(leftPane, kAnchorLeft | kAnchorTop | kAnchorBottom);
    anchors_.Add(pageArea, kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom);
    anchors_.Add(pageScrollBar, kAnchorRight | kAnchorTop | kAnchorBottom);
    anchors_.Add(bexit, kAnchorLeft | kAnchorBottom);
    anchors_.Add(babout, kAnchorLeft | kAnchorBottom);
    anchors_.Add(bprevious, kAnchorRight | kAnchorBottom);
    anchors_.Add(bnext, kAnchorRight | kAnchorBottom);
}

void MainWindow::NameForScreenReaders() {
    // The header's bare numbers and caption-less boxes, said with what they are.
    const struct {
        QLabel* label;
        const char* spoken;
        const char* description;
    } counters[] = {
        {lsizesum, TrLater("Size of the selected folders"), TrLater("The combined size of the ticked folders")},
        {lcheckedcount, TrLater("Number of selected folders"), TrLater("This many folders are ticked in the list")},
        {lfolderslisted, TrLater("All folders"), TrLater("This many folders are shown in the list")},
    };
    for (const auto& counter : counters) {
        counter.label->setProperty(widgets::kSpokenAs, QTr(counter.spoken));
        counter.label->setAccessibleDescription(QTr(counter.description));
        widgets::SetAutoSizedText(counter.label, counter.label->text());
    }
    cbfindinname->setAccessibleName(QTr("Search in the folders' names"));
    cbfindinpath->setAccessibleName(QTr("Search in the folders' paths"));
    searchEdit->setAccessibleName(QTr("Search"));
    searchEdit->setAccessibleDescription(QTr("Type the text to look for, then press Enter"));
    cbsort->setAccessibleName(QTr("Sort"));
    pageScrollBar->setAccessibleName(QTr("Scrolls the list"));
    lheader->setAccessibleName(QStringLiteral("Trovel"));
    bnext->setAccessibleName(QTr("Next"));
    bprevious->setAccessibleName(QTr("Back"));
    creditLabel->setAccessibleName(QTr("Trovel 2, the Trovel developers"));
    creditLabel->setAccessibleDescription(QTr("Link: the program's web page"));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    anchors_.Apply(event->size());
    if (!folders_ || !drives_) return;
    if (pageKind == PageKind::FolderList) folders_->SetScrollBar(static_cast<int>(folders_->Fkflistcount));
    else if (pageKind == PageKind::Drives) drives_->SetScrollBar(drives_->FDCount);
}

void MainWindow::wheelEvent(QWheelEvent* event) {
    // High-resolution touchpads send fractions of a notch: they add up to whole steps.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps != 0) pageScrollBar->setValue(pageScrollBar->value() - 25 * steps);
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchEdit && event->type() == QEvent::KeyPress) {
        searchEditKeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;  // the edit box still gets every key
    }
    if (watched == pageScrollBar && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == creditLabel && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        QPalette palette = creditLabel->palette();
        palette.setColor(QPalette::WindowText, event->type() == QEvent::Enter ? widgets::LinkColour(this->palette())
                                                                              : this->palette().color(QPalette::WindowText));
        creditLabel->setPalette(palette);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::pageScrollBarChange(int position) {
    QWidget* page = pageArea->currentWidget();
    if (page == nullptr) return;
    const int shift = PageTag(page) - position;
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->move(child->x(), child->y() + shift);
    SetPageTag(page, position);
}

void MainWindow::ScrollIntoView(QWidget* widget) {
    if (widget == nullptr || pageScrollBar->isHidden() || !pageArea->isAncestorOf(widget)) return;
    const int top = widget->mapTo(pageArea, QPoint(0, 0)).y();
    const int bottom = top + widget->height();
    int shift = 0;
    if (top < 0) shift = top - 3;
    else if (bottom > pageArea->height()) shift = bottom - pageArea->height() + 3;
    if (shift != 0) pageScrollBar->setValue(std::clamp(pageScrollBar->value() + shift, 0, pageScrollBar->maximum()));
}

void MainWindow::WMDriveSelect(qintptr id) { bnext->setEnabled(drives_->SelectDrive(static_cast<int>(id))); }

void MainWindow::WMFolderCheck(qintptr operationId) {
    bnext->setEnabled(folders_->CountTicked(static_cast<catalogue::Operation>(operationId)));
}

bool MainWindow::event(QEvent* event) {
    using widgets::WindowMessage;
    if (event->type() == widgets::WM_DRIVESELECT) {
        WMDriveSelect(static_cast<WindowMessage*>(event)->wParam);
        return true;
    }
    if (event->type() == widgets::WM_FOLDERCHECK) {
        WMFolderCheck(static_cast<WindowMessage*>(event)->wParam);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace trovel::app
