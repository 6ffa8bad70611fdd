// What a screen reader gets: every row box, counter, link, drive bar and page title is named
// in Hungarian, read through the accessibility interface as an assistive tool reads it.
// And long texts that do not fit are elided in the middle, whole in their tooltips.
#include <QAccessible>
#include <QFontMetrics>
#include <QLineEdit>

#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "gui/widgets/state_progress_bar.h"

namespace trovel::testing {
namespace {

constexpr std::int64_t GiB = 1024LL * 1024 * 1024;

QString Said(QWidget* widget, QAccessible::Text what = QAccessible::Name) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(what) : QStringLiteral("<none>");
}

class AccessibilityTest : public CatalogueTest {
protected:
    void SetUp() override {
        fake.volumes.push_back({"C:\\", platform::DriveType::Fixed, "System", true, {50 * GiB, 100 * GiB, 50 * GiB}, true});
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed,
                                "Egy nagyon hosszú kötetnév, amely sehogy sem fér ki a meghajtó sorában", true,
                                {70 * GiB, 200 * GiB, 70 * GiB}, true});
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Zenék\\Egy mélyen fekvő mappa\\amelynek az útvonala\\hosszabb a sornál is\\"
                        "és még ennél is hosszabb");
        Build();
        window->show();
    }
    space::DriveRow* DriveE() {
        for (space::DriveRow* row : window->drives().vObjarr)
            if (row->vDrive == "E:\\") return row;
        return nullptr;
    }
};

TEST_F(AccessibilityTest, TheHeadersBareNumbersAndCheckMarksSayWhatTheyAre) {
    window->ShowPage(window->redirectPage);
    EXPECT_EQ(Said(window->lcheckedcount), QString::fromUtf8("A kiválasztott mappák száma: 0"));
    EXPECT_EQ(Said(window->lfolderslisted), QString::fromUtf8("Összes mappa: 2"));
    EXPECT_EQ(Said(window->lsizesum), QString::fromUtf8("A kiválasztott mappák mérete: ") + window->lsizesum->text());
    Row(0)->cbmove->setChecked(true);
    window->WMFolderCheck(1);
    EXPECT_EQ(Said(window->lcheckedcount), QString::fromUtf8("A kiválasztott mappák száma: 1"));
    EXPECT_EQ(Said(window->cbfindinname), QString::fromUtf8("Keresés a mappák nevében"));
    EXPECT_EQ(Said(window->cbfindinpath), QString::fromUtf8("Keresés a mappák útvonalában"));
    EXPECT_FALSE(Said(window->lcheckedcount, QAccessible::Description).isEmpty());
}

TEST_F(AccessibilityTest, RowBoxesNameTheirFolderAndLinksAndPagesHaveNames) {
    window->ShowPage(window->redirectPage);
    FolderRow* row = Row(0);
    EXPECT_EQ(Said(row->cbmove), QString::fromUtf8("Personal (My Documents): Áthelyezés"));
    EXPECT_EQ(Said(row->cbredirected), QString::fromUtf8("Personal (My Documents): Átirányítva"));
    EXPECT_FALSE(Said(row->cbdelete, QAccessible::Description).isEmpty());
    EXPECT_EQ(Said(window->lredirectgetsize), QString::fromUtf8("Méret kiszámítása"));
    EXPECT_TRUE(Said(window->lredirectgetsize, QAccessible::Description).startsWith(QString::fromUtf8("Hivatkozás")));
    EXPECT_EQ(Said(window->redirectPage), QString::fromUtf8("Mappák áthelyezése"));
    EXPECT_EQ(Said(window->overviewPane), QString::fromUtf8("Az összes speciális mappa áttekintése"));
    EXPECT_EQ(Said(window->bnext), QString::fromUtf8("Tovább"));
    EXPECT_EQ(Said(window->bnext, QAccessible::Description), QString::fromUtf8("Billentyűparancs: Alt+T"));
}

TEST_F(AccessibilityTest, ADrivesBarAndBoxAreNamedAfterTheDriveAndALongLabelKeepsItsRoot) {
    window->ShowPage(window->drivesPage);
    space::DriveRow* drive = DriveE();
    ASSERT_NE(drive, nullptr);
    const QString whole = QString::fromUtf8("Egy nagyon hosszú kötetnév, amely sehogy sem fér ki a meghajtó sorában ( E:\\ )");
    EXPECT_EQ(Said(drive->usageBar), whole + QString::fromUtf8(" foglaltsága"));
    EXPECT_TRUE(Said(drive->usageBar, QAccessible::Description).startsWith("65% foglalt")) << Said(drive->usageBar, QAccessible::Description).toStdString();
    EXPECT_EQ(Said(drive->cbusethis), whole + QString::fromUtf8(" kiválasztása"));
    // Elided in the middle, the root whole at its end, short of the box on its right.
    const QString shown = drive->ldrvlabel->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(" ( E:\\ )")) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith("Egy nagyon"));
    EXPECT_LE(drive->ldrvlabel->geometry().right(), drive->cbusethis->x());
    EXPECT_EQ(drive->ldrvlabel->toolTip(), whole);
}

TEST_F(AccessibilityTest, ALongPathIsElidedInTheMiddleAndStaysWholeForSearchSortAndTooltip) {
    window->ShowPage(window->overviewPage);
    FolderRow* music = Row(1);
    const QString shown = music->lfolderpath->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith("C:\\Users"));
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("hosszabb")));
    EXPECT_LE(music->rowBox->mapFromGlobal(music->lfolderpath->mapToGlobal(QPoint(music->lfolderpath->width(), 0))).x(),
              FolderRow::kShownWidth);
    EXPECT_EQ(music->lfolderpath->toolTip().toStdString(), music->Path);
    // The search finds a word that only the elided part holds.
    window->searchEdit->setText(QString::fromUtf8("amelynek"));
    window->searchEditKeyDown(Qt::Key_Return);
    EXPECT_EQ(window->lfolderslisted->text(), "1");
    // A short path shows whole.
    EXPECT_EQ(Row(0)->lfolderpath->text(), "C:\\Users\\al\\Documents");
}

}  // namespace
}  // namespace trovel::testing
