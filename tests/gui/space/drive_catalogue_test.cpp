#include <QGroupBox>
#include <QTest>

#include "gui/widgets/row_widgets.h"
#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"

namespace trovel::testing {
namespace {

using platform::DriveType;
using space::StateProgressBar;
using space::DriveRow;

constexpr std::int64_t MiB = 1024 * 1024;
constexpr std::int64_t GiB = 1024 * MiB;

class DriveCatalogueTest : public CatalogueTest {
protected:
    void SetUp() override {
        FakeFolder& windows = Add("Windows", "C:\\Windows", platform::KF_CATEGORY_FIXED, 0);
        windows.id = platform::FOLDERID_Windows;
    }
    void Volume(const std::string& root, std::int64_t free, std::int64_t total, const std::string& label = "Data",
                DriveType type = DriveType::Fixed) {
        fake.volumes.push_back({root, type, label, true, {free, total, free}, true});
    }
    space::DriveCatalogue& drives() { return window->drives(); }
    DriveRow* RowFor(const std::string& root) {
        for (DriveRow* row : drives().vObjarr)
            if (row->vDrive == root) return row;
        return nullptr;
    }
    // Ticks a row's box as the user does and lets the window apply the choice.
    void Tick(DriveRow* row) {
        if (!window->isVisible()) {
            window->pageArea->setCurrentWidget(window->drivesPage);
            window->show();
        }
        QTest::mouseClick(row->cbusethis, Qt::LeftButton);
    }
    std::vector<std::string> Roots() {
        std::vector<std::string> roots;
        for (DriveRow* row : drives().vObjarr) roots.push_back(row->vDrive);
        return roots;
    }
};

TEST_F(DriveCatalogueTest, ListsFixedDrivesButTheSystemDriveMostFreeFirst) {
    Volume("C:\\", 50 * GiB, 100 * GiB, "System");
    Volume("D:\\", 10 * GiB, 100 * GiB, "Data");
    Volume("E:\\", 70 * GiB, 200 * GiB, "Backup");
    Volume("F:\\", 90 * GiB, 100 * GiB, "Stick", DriveType::Removable);
    Volume("G:\\", 90 * GiB, 100 * GiB, "Share", DriveType::Remote);
    Build();
    EXPECT_EQ(window->shared().systemDrive, "C:");
    // Start-up sorts by free space but leaves the places to the drive page.
    EXPECT_EQ(Roots(), (std::vector<std::string>{"E:\\", "D:\\"}));
    EXPECT_EQ(drives().vSortCriteria, 2);
    EXPECT_EQ(drives().FDCount, 2);
    drives().RefreshList();
    EXPECT_EQ(RowFor("E:\\")->y(), 3);
    EXPECT_EQ(RowFor("D:\\")->y(), 86);
    EXPECT_EQ(RowFor("E:\\")->ID, 0);
    EXPECT_EQ(RowFor("D:\\")->objectName(), "DrvObj0");
    EXPECT_EQ(RowFor("D:\\")->parentWidget(), window->drivesPage);
}

TEST_F(DriveCatalogueTest, RowShowsLabelRootBarAndSpaceText) {
    Volume("D:\\", 40 * GiB + 214748364, 100 * GiB, "Data");
    Build();
    DriveRow* row = RowFor("D:\\");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->size(), QSize(577, 80));
    EXPECT_EQ(row->ldrvlabel->text(), "Data ( D:\\ )");
    EXPECT_EQ(row->ldrvlabel->pos(), QPoint(136, 10));
    EXPECT_EQ(row->usageBar->geometry(), QRect(136, 29, 273, 14));
    EXPECT_EQ(row->cbusethis->geometry(), QRect(463, 29, 97, 17));
    EXPECT_EQ(row->lspace->text(), "40.20 GB szabad, összesen 100.00 GB");
    EXPECT_EQ(row->vUsed, 100 * GiB - row->vFree);
    EXPECT_EQ(row->vPBPosition, 60);
    EXPECT_EQ(row->usageBar->position(), 60);
    EXPECT_EQ(row->usageBar->state(), StateProgressBar::Error);
    EXPECT_FALSE(row->icon->pixmap().isNull());
    EXPECT_EQ(row->rowBox->palette().color(QPalette::Window), QColor(255, 255, 255));

    QTest::mouseClick(row->ldrvlabel, Qt::LeftButton);
    ASSERT_EQ(fake.CallsOf("ShellOpen").size(), 1u);
    EXPECT_EQ(fake.CallsOf("ShellOpen")[0].text, "D:\\");
}

TEST_F(DriveCatalogueTest, TheLimitIsStrictAndBoundedAtTenGiB) {
    Volume("D:\\", 60 * GiB, 100 * GiB);
    Build();
    DriveRow* row = RowFor("D:\\");
    EXPECT_EQ(row->vAtmost, 10 * GiB);
    window->shared().selectedSizeSum = 8 * GiB;
    Tick(row);
    EXPECT_TRUE(window->bnext->isEnabled());
    EXPECT_EQ(row->usageBar->state(), StateProgressBar::Normal);
    EXPECT_EQ(window->shared().chosenDriveRoot, "D:\\");
    EXPECT_EQ(row->rowBox->palette().color(QPalette::Window), QColor(234, 244, 255));
    EXPECT_EQ(row->usageBar->position(), 48);  // (40 + 8) of 100 GiB

    window->shared().selectedSizeSum = 10 * GiB;
    EXPECT_FALSE(drives().SelectDrive(drives().IDSelecyed));
    EXPECT_EQ(row->usageBar->state(), StateProgressBar::Paused);
    EXPECT_EQ(row->lspace->text(), "50.00 GB szabad, összesen 100.00 GB");
}

TEST_F(DriveCatalogueTest, SixGiBFreeTakesJustUnderFiveGiB) {
    Volume("D:\\", 6 * GiB, 100 * GiB);
    Build();
    DriveRow* row = RowFor("D:\\");
    EXPECT_EQ(row->vAtmost, 5 * GiB);
    row->cbusethis->setChecked(true);
    window->shared().selectedSizeSum = 5 * GiB - 1;
    EXPECT_TRUE(drives().SelectDrive(0));
    window->shared().selectedSizeSum = 5 * GiB;
    EXPECT_FALSE(drives().SelectDrive(0));
}

TEST_F(DriveCatalogueTest, ContentLargerThanTheFreeSpaceNeverFits) {
    Volume("D:\\", 50 * MiB, 100 * GiB);
    Build();
    DriveRow* row = RowFor("D:\\");
    window->shared().selectedSizeSum = 80 * MiB;
    Tick(row);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_EQ(row->vState, StateProgressBar::Paused);
    EXPECT_EQ(row->usageBar->position(), 100);
    EXPECT_EQ(row->lspace->text(), "-30.00 MB szabad, összesen 100.00 GB");
}

TEST_F(DriveCatalogueTest, NothingToCopyFitsAndShowsTheDrivesOwnShare) {
    Volume("D:\\", 75 * GiB, 100 * GiB);
    Build();
    window->shared().selectedSizeSum = 0;
    Tick(RowFor("D:\\"));
    EXPECT_TRUE(window->bnext->isEnabled());
    EXPECT_EQ(RowFor("D:\\")->usageBar->position(), 25);
}

TEST_F(DriveCatalogueTest, OneChoiceAtATimeAndUntickingDropsIt) {
    Volume("D:\\", 60 * GiB, 100 * GiB);
    Volume("E:\\", 30 * GiB, 100 * GiB);
    Build();
    drives().RefreshList();
    DriveRow* d = RowFor("D:\\");
    DriveRow* e = RowFor("E:\\");
    Tick(d);
    EXPECT_EQ(recorder.messages.back(), std::make_pair(1025, qintptr{d->ID}));
    Tick(e);
    EXPECT_FALSE(d->cbusethis->isChecked());
    EXPECT_FALSE(d->selected());
    EXPECT_EQ(d->usageBar->state(), StateProgressBar::Error);
    EXPECT_EQ(window->shared().chosenDriveRoot, "E:\\");
    EXPECT_EQ(drives().IDSelecyed, e->ID);
    Tick(e);
    EXPECT_EQ(window->shared().chosenDriveRoot, "");
    EXPECT_EQ(drives().IDSelecyed, -1);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_EQ(e->lspace->text().toStdString(), e->vSizetxt);
}

TEST_F(DriveCatalogueTest, TheChoiceFollowsItsRowThroughASort) {
    Volume("D:\\", 60 * GiB, 100 * GiB, "Zeta");
    Volume("E:\\", 30 * GiB, 100 * GiB, "Alpha");
    Build();
    drives().RefreshList();
    Tick(RowFor("E:\\"));
    drives().Sort(0);  // by label: Alpha (E:) first now
    EXPECT_EQ(Roots(), (std::vector<std::string>{"E:\\", "D:\\"}));
    EXPECT_EQ(drives().IDSelecyed, 0);
    EXPECT_TRUE(drives().SelectDrive(drives().IDSelecyed));
    EXPECT_EQ(window->shared().chosenDriveRoot, "E:\\");
    EXPECT_TRUE(RowFor("E:\\")->cbusethis->isChecked());
}

TEST_F(DriveCatalogueTest, EqualFreeSpaceKeepsOrderAndRefreshDropsTheChoice) {
    Volume("D:\\", 30 * GiB, 100 * GiB, "B");
    Volume("E:\\", 30 * GiB, 100 * GiB, "A");
    Volume("F:\\", 50 * GiB, 100 * GiB, "C");
    Build();
    EXPECT_EQ(Roots(), (std::vector<std::string>{"F:\\", "D:\\", "E:\\"}));
    drives().Sort(1);
    EXPECT_EQ(Roots(), (std::vector<std::string>{"D:\\", "E:\\", "F:\\"}));
    EXPECT_EQ(drives().vSortCriteria, 1);
    Tick(RowFor("D:\\"));
    ASSERT_EQ(window->shared().chosenDriveRoot, "D:\\");
    drives().GetDrivesInfo(window->drivesPage, window->pageScrollBar);
    EXPECT_FALSE(drives().SelectDrive(drives().IDSelecyed));
    EXPECT_EQ(window->shared().chosenDriveRoot, "");
    EXPECT_EQ(drives().IDSelecyed, -1);
}

TEST_F(DriveCatalogueTest, OnlyTheSystemDriveGivesNoRows) {
    Volume("C:\\", 50 * GiB, 100 * GiB);
    Build();
    EXPECT_EQ(drives().FDCount, 0);
    EXPECT_TRUE(drives().vObjarr.empty());
    drives().ListDrives(window->drivesPage, window->pageScrollBar);
    EXPECT_FALSE(window->pageScrollBar->isVisibleTo(window.get()));
    EXPECT_FALSE(drives().SelectDrive(-1));
}

TEST_F(DriveCatalogueTest, ADriveWhoseSizeReadsZeroNeverFits) {
    Volume("D:\\", 0, 0, "Odd");
    fake.volumes.push_back({"E:\\", DriveType::Fixed, "", false, {}, false});
    Build();
    DriveRow* odd = RowFor("D:\\");
    EXPECT_EQ(odd->vPBPosition, 0);
    EXPECT_EQ(odd->vAtmost, 0);
    window->shared().selectedSizeSum = 0;
    Tick(odd);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_EQ(odd->usageBar->position(), 0);
    // Unreadable label and space: the root still names the row.
    EXPECT_EQ(RowFor("E:\\")->ldrvlabel->text(), " ( E:\\ )");
}

TEST_F(DriveCatalogueTest, ScrollRangeUses83PixelRows) {
    for (char letter = 'D'; letter <= 'J'; ++letter) Volume(std::string(1, letter) + ":\\", GiB, 2 * GiB);
    Build();
    drives().SetScrollBar(drives().FDCount);  // 7 rows: 83 * 7 + 10 - 426 = 165
    EXPECT_EQ(window->pageScrollBar->maximum(), 165);
    EXPECT_TRUE(window->pageScrollBar->isVisibleTo(window.get()));
    drives().SetScrollBar(5);  // 415 + 10 - 426 < 0
    EXPECT_FALSE(window->pageScrollBar->isVisibleTo(window.get()));
}

TEST_F(DriveCatalogueTest, DrivesARelocationCannotSurviveAreLeftOutAndNamedUnderTheList) {
    Add("Profile", "E:\\Users\\al", platform::KF_CATEGORY_FIXED, 0).id = platform::FOLDERID_Profile;
    Volume("D:\\", 60 * GiB, 100 * GiB);
    Volume("E:\\", 60 * GiB, 100 * GiB);  // holds the home folder
    Volume("F:\\", 60 * GiB, 100 * GiB);  // the user may not create F:\Users\al
    Volume("G:\\", 60 * GiB, 100 * GiB);
    Volume("H:\\", 60 * GiB, 100 * GiB);
    fake.refusals["G:\\"] = platform::TargetRefusal::MountedOnDemand;
    fake.refusals["H:\\"] = platform::TargetRefusal::SystemPartition;
    fake.uncreatable = {"F:\\Users\\al"};
    Build();
    EXPECT_EQ(Roots(), (std::vector<std::string>{"D:\\"}));
    ASSERT_NE(drives().lleftout, nullptr);
    EXPECT_EQ(drives().lleftout->toolTip().toStdString(),
              "Nem választható: E:\\ (a saját mappa meghajtója), F:\\ (nem írható), G:\\ (nem induláskor csatolt), "
              "H:\\ (rendszerindító partíció)");
    // Too long for the page area: elided in the middle, both ends kept.
    const QString shown = drives().lleftout->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("Nem választható: E:\\")));
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("(rendszerindító partíció)")));
    EXPECT_LE(drives().lleftout->fontMetrics().horizontalAdvance(shown), 530);
    EXPECT_EQ(drives().lleftout->parentWidget(), window->drivesPage);
    EXPECT_EQ(drives().lleftout->y(), 83 + 7);  // under the one row
    EXPECT_EQ(drives().lleftout->textFormat(), Qt::PlainText);
}

TEST_F(DriveCatalogueTest, NothingLeftOutShowsNoNote) {
    Volume("D:\\", 60 * GiB, 100 * GiB);
    Build();
    EXPECT_TRUE(drives().lleftout == nullptr || drives().lleftout->isHidden());
}

}  // namespace
}  // namespace trovel::testing
