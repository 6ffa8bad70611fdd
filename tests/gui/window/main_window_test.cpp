#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <utility>

#include "gui/window/about_window.h"
#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"

namespace trovel::testing {
namespace {

class MainWindowTest : public CatalogueTest {
protected:
    void SetUp() override {
        for (int n = 0; n < 8; ++n) Add("Folder " + std::to_string(n), "C:\\f" + std::to_string(n));
        Add("Personal", "C:\\Users\\al\\Documents");
        Build();
        window->show();
    }
    // Runs `check` once the modal window is up, then closes it as the user would.
    void WhileAboutIsUp(std::function<void()> check) {
        QTimer::singleShot(0, [this, check] {
            check();
            window->waitWindow->close();
        });
    }
    bool Shown(QWidget* widget) { return !widget->isHidden(); }
};

TEST_F(MainWindowTest, OpensOnTheWelcomePageWithNoListTools) {
    EXPECT_EQ(window->pageArea->currentWidget(), window->welcomePage);
    EXPECT_EQ(window->leftPane->currentWidget(), window->welcomePane);
    EXPECT_EQ(window->pageKind, app::PageKind::Welcome);
    for (QWidget* tool : std::initializer_list<QWidget*>{window->lfind, window->searchEdit, window->cbfindinname,
                                                         window->cbfindinpath, window->lcheckedcount,
                                                         window->lfolderslisted, window->lsizesum, window->cbsort,
                                                         window->bprevious, window->bnext, window->pageScrollBar})
        EXPECT_FALSE(Shown(tool)) << tool->objectName().toStdString();
    EXPECT_TRUE(Shown(window->bexit));
    EXPECT_EQ(window->bexit->text(), "Kilépés");
    EXPECT_EQ(window->bmainlist->geometry(), QRect(75, 56, 385, 65));
    EXPECT_EQ(window->windowTitle(), "Trovel");
}

// The overview's explanation, found as the tests find every widget: by its object name.
QString OverviewText(app::MainWindow& window) {
    const auto* label = window.findChild<QLabel*>(QStringLiteral("TSListAllLText"));
    return label ? label->text() : QStringLiteral("<none>");
}

TEST_F(MainWindowTest, TheOverviewSpeaksOfWindowsOnlyOnWindows) {
    EXPECT_EQ(OverviewText(*window), "Itt található az összes speciális mappa, amely regisztrálva van a Windows "
                                     "rendszerében a jelenlegi és az összes felhasználó számára.");
    fake.naming = platform::FolderNaming::Desktop;  // a Linux desktop
    Build();
    EXPECT_EQ(OverviewText(*window), "Itt található az összes speciális mappa, amely regisztrálva van a rendszerben "
                                     "a jelenlegi és az összes felhasználó számára.");
}

TEST_F(MainWindowTest, KeepsItsWidthAndGrowsOnlyTaller) {
    EXPECT_EQ(window->minimumWidth(), 762);
    EXPECT_EQ(window->maximumWidth(), 762);
    EXPECT_EQ(window->minimumHeight(), 498);
    window->resize(900, 300);
    EXPECT_EQ(window->size(), QSize(762, 498));
    window->ShowPage(window->overviewPage);
    EXPECT_EQ(window->pageScrollBar->maximum(), 108 * 9 + 10 - 426);
    window->resize(762, 798);
    EXPECT_EQ(window->pageArea->height(), 726);
    EXPECT_EQ(window->pageScrollBar->maximum(), 108 * 9 + 10 - 726);
    EXPECT_EQ(window->bnext->y(), 767);
}

TEST_F(MainWindowTest, ATallerWindowKeepsCountersCreditAndScrollBarWhereTheyBelong) {
    window->ShowPage(window->overviewPage);
    widgets::SetAutoSizedText(window->lcheckedcount, QStringLiteral("12345"));
    const int counterWidth = window->lcheckedcount->width();
    ASSERT_GT(counterWidth, 20);
    EXPECT_LE(window->pageScrollBar->geometry().bottom(), window->height() - 1);  // the down arrow is inside
    window->resize(762, 798);
    EXPECT_EQ(window->lcheckedcount->width(), counterWidth);  // sized to its text, not to the "0" of the start
    EXPECT_EQ(window->pageScrollBar->geometry().bottom(), window->height() - 1);
    // The credit line stays at 467, behind the page area that now covers it.
    const QObjectList order = window->children();
    EXPECT_LT(order.indexOf(window->creditLabel), order.indexOf(window->pageArea));
    EXPECT_TRUE(window->pageArea->autoFillBackground());
}

TEST_F(MainWindowTest, TouchpadFractionsOfAStepAddUp) {
    window->ShowPage(window->overviewPage);
    const QPointF at(400, 200);
    for (int part = 0; part < 5; ++part) {
        QWheelEvent down(at, window->mapToGlobal(at), {}, {0, -40}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(window.get(), &down);
    }
    EXPECT_EQ(window->pageScrollBar->value(), 25);  // 200 of 120 per step: one step, 80 carried
    QWheelEvent more(at, window->mapToGlobal(at), {}, {0, -40}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.get(), &more);
    EXPECT_EQ(window->pageScrollBar->value(), 50);
}

TEST_F(MainWindowTest, WheelStepsMoveTheListBy25WithinRange) {
    window->ShowPage(window->overviewPage);
    const int maximum = window->pageScrollBar->maximum();
    ASSERT_GT(maximum, 100);
    const QPointF at(400, 200);
    for (int step = 0; step < 3; ++step) {
        QWheelEvent down(at, window->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(window.get(), &down);
    }
    EXPECT_EQ(window->pageScrollBar->value(), 75);
    EXPECT_EQ(folders().framearr.front()->y(), 3 - 75);
    for (int step = 0; step < 100; ++step) {
        QWheelEvent down(at, window->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(window.get(), &down);
    }
    EXPECT_EQ(window->pageScrollBar->value(), maximum);
    EXPECT_EQ(window->pageScrollBar->singleStep(), 10);
    EXPECT_EQ(window->pageScrollBar->pageStep(), 50);
}

TEST_F(MainWindowTest, OnlyEnterSearchesAndItTicksBothBoxesWhenNeitherIs) {
    window->ShowPage(window->overviewPage);
    window->cbfindinname->setChecked(false);
    window->cbfindinpath->setChecked(false);
    QTest::keyClicks(window->searchEdit, "users");
    EXPECT_EQ(folders().Fkflistcount, 9u);  // typing alone searches nothing
    QTest::keyClick(window->searchEdit, Qt::Key_Return);
    EXPECT_TRUE(window->cbfindinname->isChecked());
    EXPECT_TRUE(window->cbfindinpath->isChecked());
    EXPECT_EQ(folders().Fkflistcount, 1u);
    EXPECT_EQ(window->lfolderslisted->text(), "1");
    EXPECT_EQ(window->searchEdit->text(), "users");
}

TEST_F(MainWindowTest, TheSortBoxSortsTheShownKindOfList) {
    window->ShowPage(window->overviewPage);
    ASSERT_TRUE(Shown(window->cbsort));
    EXPECT_EQ(window->cbsort->currentIndex(), 0);
    window->cbsort->setCurrentIndex(1);
    EXPECT_EQ(folders().vSortCriteria, 1);
    EXPECT_EQ(window->drives().vSortCriteria, 2);  // the drives keep their own order (free space at start-up)
    window->ShowPage(window->welcomePage);
    window->ShowPage(window->redirectPage);
    EXPECT_EQ(window->cbsort->currentIndex(), 1);  // shown again without re-sorting
}

TEST_F(MainWindowTest, BackFromTheOverviewReturnsToTheWelcomePage) {
    window->ShowPage(window->overviewPage);
    EXPECT_TRUE(Shown(window->bprevious));
    EXPECT_FALSE(Shown(window->bnext));
    EXPECT_EQ(window->lfolderslisted->text(), "9");
    QTest::mouseClick(window->bprevious, Qt::LeftButton);
    EXPECT_EQ(window->pageArea->currentWidget(), window->welcomePage);
    EXPECT_FALSE(Shown(window->searchEdit));
}

TEST_F(MainWindowTest, AboutKeepsNextAndBackAsTheyWere) {
    window->ShowPage(window->redirectPage);
    ASSERT_FALSE(window->bnext->isEnabled());
    ASSERT_TRUE(window->bprevious->isEnabled());
    window->waitWindow->lnowisprocessing->setText("left over");
    bool checked = false;
    WhileAboutIsUp([&] {
        checked = true;
        EXPECT_TRUE(window->waitWindow->isVisible());
        EXPECT_TRUE(window->waitWindow->waitBar->isHidden());
        EXPECT_TRUE(window->waitWindow->lwait->isHidden());
        EXPECT_EQ(window->waitWindow->lnowisprocessing->text(), "");
        EXPECT_FALSE(window->bprevious->isEnabled());
        EXPECT_FALSE(window->bexit->isEnabled());
        EXPECT_FALSE(window->babout->isEnabled());
        const QRect main = window->frameGeometry();
        const QRect about = window->waitWindow->frameGeometry();
        EXPECT_EQ(about.left(), main.left() + (main.width() - about.width()) / 2);
        EXPECT_EQ(about.top(), main.top() + (main.height() - about.height()) / 2);
    });
    window->baboutClick();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_TRUE(window->bprevious->isEnabled());
    EXPECT_TRUE(window->bexit->isEnabled());
    EXPECT_TRUE(window->babout->isEnabled());
}

TEST_F(MainWindowTest, ExitAwayFromTheRunPagesOnlyCloses) {
    window->ShowPage(window->redirectPage);
    folders().CheckAll(true, catalogue::Operation::Move, window->redirectPage, window->pageScrollBar, window->lfolderslisted);
    window->bexitClick();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fake.CallsOf("SignOut").empty());
}

TEST_F(MainWindowTest, CreditLineTurnsNavyUnderThePointerAndOpensThePage) {
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(window->creditLabel, &enter);
    EXPECT_EQ(window->creditLabel->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window->creditLabel, &leave);
    EXPECT_EQ(window->creditLabel->palette().color(QPalette::WindowText), window->palette().color(QPalette::WindowText));
    QTest::mouseClick(window->creditLabel, Qt::LeftButton);
    EXPECT_EQ(fake.CallsOf("ShellOpen").size(), 1u);
}

TEST_F(MainWindowTest, ForwardPagesFollowTheTicks) {
    window->ShowPage(window->redirectPage);
    EXPECT_FALSE(window->bnext->isEnabled());
    FolderRow* documents = nullptr;
    for (FolderRow* row : folders().framearr)
        if (row->FolderDefinition.name == "Personal") documents = row;
    QTest::mouseClick(documents->cbmove, Qt::LeftButton);
    EXPECT_TRUE(window->bnext->isEnabled());
    QTest::mouseClick(window->lredirectunall, Qt::LeftButton);
    EXPECT_FALSE(window->bnext->isEnabled());
    QTest::mouseClick(window->lredirectall, Qt::LeftButton);
    EXPECT_TRUE(window->bnext->isEnabled());
    QTest::mouseClick(window->bnext, Qt::LeftButton);
    EXPECT_EQ(window->pageArea->currentWidget(), window->copyPage);
    EXPECT_TRUE(window->bnext->isEnabled());
}

TEST_F(MainWindowTest, CopyPageAsksForTheSizesFirst) {
    window->ShowPage(window->redirectPage);
    QTest::mouseClick(window->lredirectall, Qt::LeftButton);
    window->ShowPage(window->copyPage);
    fake.messageBoxAnswer = platform::kIdNo;
    window->bnextClick();
    EXPECT_EQ(window->pageArea->currentWidget(), window->copyPage);
    auto questions = fake.CallsOf("ShowMessageBox");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].flags, 36u);
    EXPECT_EQ(questions[0].text,
              "Trovel\nMeg kell jelenítenie a kiválasztott mappák teljes méretét, mielőtt folytatja. Megteszi ezt most?");
    fake.messageBoxAnswer = platform::kIdYes;
    window->bnextClick();  // measures behind the wait window, stays
    EXPECT_TRUE(folders().FkfSizegot);
    EXPECT_EQ(window->pageArea->currentWidget(), window->copyPage);
    window->bnextClick();
    EXPECT_EQ(window->pageArea->currentWidget(), window->deletePage);
    EXPECT_EQ(fake.CallsOf("ShowMessageBox").size(), 2u);
    window->bpreviousClick();
    window->bpreviousClick();
    EXPECT_EQ(window->pageArea->currentWidget(), window->redirectPage);
}

TEST_F(MainWindowTest, ASizeMeasuredOnTheOverviewLetsTheCopyPageGoOnWithoutAsking) {
    window->ShowPage(window->overviewPage);
    window->StartSizeWorker(true, catalogue::Operation::Move);
    window->bpreviousClick();
    window->ShowPage(window->redirectPage);
    QTest::mouseClick(window->lredirectall, Qt::LeftButton);
    window->bnextClick();
    window->bnextClick();
    EXPECT_EQ(window->pageArea->currentWidget(), window->deletePage);
    EXPECT_TRUE(fake.CallsOf("ShowMessageBox").empty());
}

TEST_F(MainWindowTest, BackFromTheDrivePageBringsTheListToolsBack) {
    window->ShowPage(window->redirectPage);
    QTest::mouseClick(window->lredirectall, Qt::LeftButton);
    folders().FkfSizegot = true;
    window->bnextClick();
    window->bnextClick();
    window->bnextClick();
    ASSERT_EQ(window->pageArea->currentWidget(), window->drivesPage);
    EXPECT_FALSE(window->bnext->isEnabled());  // no drive chosen
    EXPECT_TRUE(window->searchEdit->isHidden());
    window->bpreviousClick();
    EXPECT_EQ(window->pageArea->currentWidget(), window->deletePage);
    EXPECT_TRUE(Shown(window->searchEdit));
    EXPECT_TRUE(Shown(window->lcheckedcount));
    EXPECT_TRUE(Shown(window->lfolderslisted));
}

TEST_F(MainWindowTest, TheWheelMovesTheListBy25OverTheScrollBarAndSortsOverTheSortBox) {
    window->ShowPage(window->overviewPage);
    ASSERT_GT(window->pageScrollBar->maximum(), 50);
    QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->pageScrollBar, &down);
    EXPECT_EQ(window->pageScrollBar->value(), 25);
    QApplication::sendEvent(window->cbsort, &down);
    EXPECT_EQ(window->cbsort->currentIndex(), 1);
    EXPECT_EQ(folders().vSortCriteria, 1);
}

TEST_F(MainWindowTest, TakingTheTickedFoldersOffByCategoryDisablesNext) {
    window->ShowPage(window->redirectPage);
    QTest::mouseClick(window->lredirectall, Qt::LeftButton);
    ASSERT_TRUE(window->bnext->isEnabled());
    QTest::mouseClick(window->cbuserfolders, Qt::LeftButton);  // every folder here is per-user
    EXPECT_FALSE(window->bnext->isEnabled());
}

TEST_F(MainWindowTest, TheWaitWindowsProgressLineShowsAWholeLongName) {
    const QString line = QStringLiteral("Folyamatban: Personal (My Documents)");
    window->SetProgressLine(line);
    QLabel* label = window->waitWindow->lnowisprocessing;
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(line));
}

TEST_F(MainWindowTest, TheSortBoxShowsItsWholeWordInItsNarrowBox) {
    auto* sort = qobject_cast<widgets::TrimmedComboBox*>(window->cbsort);
    ASSERT_NE(sort, nullptr);
    window->ShowPage(window->overviewPage);
    sort->setCurrentIndex(1);
    EXPECT_EQ(sort->itemText(1), QStringLiteral("   Útvonal   "));  // the list keeps the texts as they are
    EXPECT_EQ(sort->shownText(), QStringLiteral("Útvonal"));
    QStyleOptionComboBox option;
    option.initFrom(sort);
    const QRect room = sort->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, sort);
    EXPECT_EQ(sort->width(), 65);
    EXPECT_LE(sort->fontMetrics().horizontalAdvance(sort->shownText()), room.width());
}

TEST_F(MainWindowTest, TabbingOntoARowsBoxOutOfViewScrollsItIn) {
    window->ShowPage(window->redirectPage);
    QApplication::setActiveWindow(window.get());
    FolderRow* last = nullptr;
    for (FolderRow* row : folders().framearr)
        if (row->IsAttached() && (last == nullptr || row->y() > last->y())) last = row;
    ASSERT_NE(last, nullptr);
    ASSERT_GT(last->y(), window->pageArea->height());
    last->cbmove->setFocus(Qt::TabFocusReason);
    const int top = last->cbmove->mapTo(window->pageArea, QPoint(0, 0)).y();
    EXPECT_GT(window->pageScrollBar->value(), 0);
    EXPECT_GE(top, 0);
    EXPECT_LE(top + last->cbmove->height(), window->pageArea->height());
}

TEST_F(MainWindowTest, MeasuringTheSizeKeepsTheTickedRowInViewAndItsFocus) {
    window->ShowPage(window->redirectPage);
    QApplication::setActiveWindow(window.get());
    FolderRow* first = nullptr;
    for (FolderRow* row : folders().framearr)
        if (row->IsAttached() && (first == nullptr || row->y() < first->y())) first = row;
    ASSERT_NE(first, nullptr);
    first->cbmove->setFocus(Qt::TabFocusReason);
    QTest::keyClick(first->cbmove, Qt::Key_Space);
    ASSERT_TRUE(first->cbmove->isChecked());
    ASSERT_EQ(window->pageScrollBar->value(), 0);
    // Where the wait window is slow to take the keyboard, the main window still has it while
    // its rows are hidden for the measurement.
    bool once = true;
    fake.onOpenDirectory = [&](const std::string&) {
        if (!std::exchange(once, false)) return;
        QMetaObject::invokeMethod(window.get(), [&] { QApplication::setActiveWindow(window.get()); },
                                  Qt::BlockingQueuedConnection);
    };
    // The link acts with the focus still on the box (as a click does where links take no focus).
    emit window->lredirectgetsize->clicked();
    fake.onOpenDirectory = nullptr;
    EXPECT_TRUE(first->SizeGot);
    EXPECT_EQ(window->pageScrollBar->value(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->focusWidget(), first->cbmove);
    const int top = first->cbmove->mapTo(window->pageArea, QPoint(0, 0)).y();
    EXPECT_GE(top, 0);
    EXPECT_LE(top + first->cbmove->height(), window->pageArea->height());
}

TEST(WaitWindowPlacement, CentresItsFrameOnTheOwnersAndPlacesItsClientAreaInsideIt) {
    // An owner with a 30-pixel title bar and 4-pixel borders, at (100, 50).
    const QRect ownerFrame(100, 50, 770, 532);
    const QRect ownerClient(104, 80, 762, 498);
    const QRect client = app::WaitAboutWindow::CentredOn(ownerFrame, ownerClient, QSize(428, 292));
    EXPECT_EQ(client.size(), QSize(428, 292));
    // The frame, 436 x 326, centred: (100 + 167, 50 + 103); the client 4 right and 30 down of it.
    EXPECT_EQ(client.topLeft(), QPoint(267 + 4, 153 + 30));
    // Without a frame (offscreen) it is the plain centre.
    EXPECT_EQ(app::WaitAboutWindow::CentredOn(QRect(0, 0, 762, 498), QRect(0, 0, 762, 498), QSize(428, 292)).topLeft(),
              QPoint(167, 103));
}

}  // namespace
}  // namespace trovel::testing
