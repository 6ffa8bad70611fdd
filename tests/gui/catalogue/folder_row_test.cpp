#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QTest>

#include "gui/widgets/fonts.h"
#include "gui/widgets/row_widgets.h"
#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

class FolderRowTest : public CatalogueTest {
protected:
    void SetUp() override {
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Music");
        Build();
        window->show();
        folders().GetKFDefinedListRedirect(window->redirectPage, window->pageScrollBar);
        window->pageArea->setCurrentWidget(window->redirectPage);
        row = Row(0);
    }

    QColor Background() const { return row->rowBox->palette().color(QPalette::Window); }

    FolderRow* row = nullptr;
};

TEST_F(FolderRowTest, LaysOutItsControlsAsDesigned) {
    EXPECT_EQ(row->size(), QSize(577, 105));
    EXPECT_EQ(row->rowBox->geometry(), QRect(3, 0, 571, 103));
    EXPECT_EQ(row->icon->pos(), QPoint(14, 23));
    EXPECT_EQ(row->lfoldername->pos(), QPoint(92, 7));
    EXPECT_EQ(row->lsize->pos(), QPoint(218, 7));
    EXPECT_EQ(row->lfolderpath->pos(), QPoint(92, 24));
    EXPECT_EQ(row->ldescription->geometry(), QRect(92, 47, 464, 27));
    EXPECT_TRUE(row->ldescription->wordWrap());
    // The boxes keep their places and widths; they grow around their centre line only by the
    // room their accents need.
    const auto expectBox = [](const QCheckBox* box, QRect designed) {
        EXPECT_EQ(box->x(), designed.x()) << box->objectName().toStdString();
        EXPECT_EQ(box->width(), designed.width()) << box->objectName().toStdString();
        EXPECT_EQ(box->y() + box->height() / 2, designed.y() + designed.height() / 2) << box->objectName().toStdString();
        EXPECT_GE(box->height(), designed.height());
        EXPECT_EQ(widgets::AccentOverflow(box), 0) << box->objectName().toStdString();  // "Áthelyezés" whole
    };
    expectBox(row->cbmove, QRect(92, 82, 76, 13));
    expectBox(row->cbcopy, QRect(174, 82, 67, 13));
    expectBox(row->cbdelete, QRect(242, 82, 71, 13));
    expectBox(row->cbredirected, QRect(372, 82, 81, 13));
    expectBox(row->cbcopied, QRect(459, 82, 69, 13));
    // Both whole within the page area the row lies in (542 wide, the row 3 pixels in).
    EXPECT_LE(3 + row->rowBox->x() + row->cbcopied->geometry().right(), 542 - 1);

    EXPECT_EQ(row->lfoldername->font().pixelSize(), 13);
    EXPECT_TRUE(row->lfoldername->font().bold());
    EXPECT_EQ(row->lsize->font().pixelSize(), 12);
    EXPECT_EQ(row->lsize->palette().color(QPalette::WindowText), QColor(0, 117, 234));
    EXPECT_EQ(row->ldescription->font().pixelSize(), 11);
    EXPECT_TRUE(row->ldescription->font().italic());
    EXPECT_EQ(row->lfolderpath->font().pixelSize(), 11);
    EXPECT_EQ(row->lfoldername->font().family(), widgets::UiFamily());
}

TEST_F(FolderRowTest, BoxesCarryTheirTextsHintsAndStartingState) {
    EXPECT_EQ(row->cbmove->text(), "Áthelyezés");
    EXPECT_EQ(row->cbmove->toolTip(), "Windows átirányítása");
    EXPECT_EQ(row->cbcopy->text(), "Másolás");
    EXPECT_EQ(row->cbcopy->toolTip(), "Mappa tartalmának másolása");
    EXPECT_EQ(row->cbdelete->text(), "Törlés");
    EXPECT_EQ(row->cbdelete->toolTip(), "Régi tartalom törlése");
    EXPECT_EQ(row->cbredirected->text(), "Átirányítva");
    EXPECT_EQ(row->cbredirected->toolTip(), "Átirányítás állapota");
    EXPECT_EQ(row->cbcopied->text(), "Másolva");
    EXPECT_EQ(row->cbcopied->toolTip(), "Másolás/áthelyezés állapota");

    FolderRow fresh(window.get(), fake);
    EXPECT_TRUE(fresh.cbcopy->isChecked());
    EXPECT_FALSE(fresh.cbmove->isChecked());
    EXPECT_FALSE(fresh.cbredirected->isEnabled());
    EXPECT_FALSE(fresh.cbcopied->isEnabled());
    for (QCheckBox* box : {static_cast<QCheckBox*>(fresh.cbmove), static_cast<QCheckBox*>(fresh.cbcopy),
                           static_cast<QCheckBox*>(fresh.cbdelete), fresh.cbredirected, fresh.cbcopied})
        EXPECT_TRUE(box->isHidden()) << box->objectName().toStdString();

    // Keyboard order inside the row.
    EXPECT_EQ(fresh.cbredirected->nextInFocusChain(), fresh.cbmove);
    EXPECT_EQ(fresh.cbmove->nextInFocusChain(), fresh.cbcopy);
    EXPECT_EQ(fresh.cbcopy->nextInFocusChain(), fresh.cbcopied);
    EXPECT_EQ(fresh.cbcopied->nextInFocusChain(), fresh.cbdelete);
}

TEST_F(FolderRowTest, SelectedPaintsLightBlueOrWhiteOnEveryCall) {
    EXPECT_EQ(Background(), QColor(255, 255, 255));
    row->setSelected(true);
    EXPECT_TRUE(row->selected());
    EXPECT_EQ(Background(), QColor(234, 244, 255));
    row->rowBox->setPalette(QPalette(Qt::red));
    row->setSelected(true);  // same value: the colour is set again
    EXPECT_EQ(Background(), QColor(234, 244, 255));
    row->setProperty("selected", false);
    EXPECT_EQ(Background(), QColor(255, 255, 255));
}

// What is drawn, not only the palette: the style must not blend the colours with a shade.
TEST_F(FolderRowTest, RowsAreDrawnInExactlyTheirColours) {
    const auto drawn = [&] { return row->rowBox->grab().toImage().pixelColor(300, 40); };
    EXPECT_EQ(drawn(), QColor(255, 255, 255));
    row->setSelected(true);
    EXPECT_EQ(drawn(), QColor(234, 244, 255));
}

TEST_F(FolderRowTest, ReleasingABoxSendsMessage1026WithItsOperation) {
    row->cbcopy->show();
    row->cbdelete->show();
    QTest::mouseClick(row->cbmove, Qt::LeftButton);
    EXPECT_TRUE(row->cbmove->isChecked());
    QTest::mouseClick(row->cbcopy, Qt::LeftButton);
    QTest::mouseClick(row->cbdelete, Qt::LeftButton);
    ASSERT_EQ(recorder.messages.size(), 3u);
    EXPECT_EQ(recorder.messages[0], std::make_pair(1026, qintptr{1}));
    EXPECT_EQ(recorder.messages[1], std::make_pair(1026, qintptr{2}));
    EXPECT_EQ(recorder.messages[2], std::make_pair(1026, qintptr{3}));
}

TEST_F(FolderRowTest, TheWindowRecountsOnTheMessageAndEnablesNext) {
    window->bnext->setEnabled(false);
    QTest::mouseClick(row->cbmove, Qt::LeftButton);
    EXPECT_TRUE(window->bnext->isEnabled());
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_TRUE(row->selected());
    QTest::mouseClick(row->cbmove, Qt::LeftButton);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    EXPECT_FALSE(row->selected());
}

TEST_F(FolderRowTest, RightButtonSendsTooButLeavesTheTick) {
    QTest::mouseClick(row->cbmove, Qt::RightButton);
    EXPECT_FALSE(row->cbmove->isChecked());
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].second, 1);
    EXPECT_EQ(window->lcheckedcount->text(), "0");
}

TEST_F(FolderRowTest, AKeyboardToggleSendsWhatAClickSends) {
    row->cbdelete->setFocus();
    QTest::keyClick(row->cbdelete, Qt::Key_Space);
    EXPECT_TRUE(row->cbdelete->isChecked());
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].second, 3);  // the delete box, as a click on it sends
    // A key that changes nothing sends nothing.
    QTest::keyClick(row->cbdelete, Qt::Key_A);
    EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST_F(FolderRowTest, ClickingThePathOpensTheFolder) {
    QTest::mouseClick(row->lfolderpath, Qt::LeftButton);
    auto opened = fake.CallsOf("ShellOpen");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].text, row->Path);  // the record's bytes, whatever the label shows

    row->Path.clear();
    row->lfolderpathClick();
    EXPECT_EQ(fake.CallsOf("ShellOpen").size(), 1u);
}

TEST_F(FolderRowTest, OutsideTextsAreShownAsTheyAreNeverAsMarkup) {
    for (QLabel* label : {static_cast<QLabel*>(row->lfoldername), static_cast<QLabel*>(row->lfolderpath),
                          row->ldescription, row->lsize})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

}  // namespace
}  // namespace trovel::testing

namespace trovel::testing {
namespace {

// The face is really there (not a silent substitute), its bold is a bold, and wrapped lines
// keep a gap between descenders and the next line's accents.
TEST(Fonts, TheFaceIsFoundWithATrueBoldAndRoomBetweenLines) {
    for (int size : {11, 12, 13, 16}) {
        const QFontInfo plain(widgets::Tahoma(size));
        const QFontInfo bold(widgets::Tahoma(size, widgets::kBold));
        EXPECT_EQ(plain.family(), widgets::UiFamily()) << size;
        EXPECT_GE(bold.weight(), QFont::Bold) << size;
        EXPECT_LT(plain.weight(), QFont::DemiBold) << size;
        const QFontMetrics metrics(widgets::Tahoma(size));
        EXPECT_GE(metrics.lineSpacing(), size + 2) << size;
    }
}

}  // namespace
}  // namespace trovel::testing
