#include <QTest>
#include <QTimer>

#include <atomic>
#include <future>

#include "gui/window/about_window.h"
#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

using platform::fake::FakeFile;

class SizeMeasurementTest : public CatalogueTest {
protected:
    void SetUp() override {
        Tree("C:\\Users\\al\\Documents", {{"a.txt", 13107200}, {"x\\b", 1}, {"x\\y\\c", 2}, {"x\\z\\d", 3}});
        Tree("C:\\Users\\al\\Music", {{"song.mp3", 1536}});
        Tree("C:\\Users\\al", {{"ntuser.dat", 1024}});
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Music");
        Add("Profile", "C:\\Users\\al", platform::KF_CATEGORY_FIXED, 0);
        Add("RecycleBinFolder", "", platform::KF_CATEGORY_VIRTUAL, 0);
        Build();
        window->show();
    }
    // Folders and files below `root`, given relative to it.
    void Tree(const std::string& root, std::vector<std::pair<std::string, std::int64_t>> files) {
        fake.files[root] = FakeFile{platform::kAttributeDirectory, 0};
        for (const auto& [relative, size] : files) {
            for (auto at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1))
                fake.files[root + "\\" + relative.substr(0, at)] = FakeFile{platform::kAttributeDirectory, 0};
            fake.files[root + "\\" + relative] = FakeFile{platform::kAttributeNormal, size};
        }
    }
    FolderRow* Named(const std::string& name) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderDefinition.name == name) return row;
        return nullptr;
    }
    int Opened() const { return opened_; }
    void CountOpens() {
        fake.onOpenDirectory = [this](const std::string&) { ++opened_; };
    }

    std::atomic<int> opened_{0};
};

TEST_F(SizeMeasurementTest, ASizeWithUnreadableSubFoldersIsMarkedAsALowerBoundNamingThem) {
    fake.files["C:\\Users\\al\\Documents\\x\\z"].listable = false;
    window->ShowPage(window->overviewPage);
    window->StartSizeWorker(true, catalogue::Operation::Move);
    FolderRow* documents = Named("Personal");
    EXPECT_EQ(documents->lsize->text(), QString::fromUtf8("legalább 12.50 MB, 3 mappa, 3 fájl"));
    EXPECT_TRUE(documents->lsize->toolTip().contains("C:\\Users\\al\\Documents\\x\\z"));
    EXPECT_TRUE(documents->lsize->toolTip().contains(QString::fromUtf8("alsó becslés")));
    // A folder read whole says nothing more.
    EXPECT_EQ(Named("My Music")->lsize->text(), "1.50 KB, 0 mappa, 1 fájl");
    EXPECT_TRUE(Named("My Music")->lsize->toolTip().isEmpty());
    // The sum in the header is no whole size either, and says so.
    EXPECT_TRUE(window->lsizesum->text().startsWith(QString::fromUtf8("≥ "))) << window->lsizesum->text().toStdString();
    EXPECT_TRUE(window->lsizesum->toolTip().contains(QString::fromUtf8("Alsó becslés")));
    // Ticking only whole folders on the move page gives a plain sum with the layout's hint.
    window->ShowPage(window->redirectPage);
    Named("My Music")->cbmove->setChecked(true);
    window->WMFolderCheck(1);
    EXPECT_EQ(window->lsizesum->text(), "1.50 KB");
    EXPECT_EQ(window->lsizesum->toolTip(), QString::fromUtf8("   A kiválasztott mappák mérete   "));
    Named("Personal")->cbmove->setChecked(true);
    window->WMFolderCheck(1);
    EXPECT_TRUE(window->lsizesum->text().startsWith(QString::fromUtf8("≥ ")));
}

TEST_F(SizeMeasurementTest, MeasuresTheTickedFoldersAndWritesTheirRows) {
    window->ShowPage(window->redirectPage);
    Named("Personal")->cbmove->setChecked(true);
    window->StartSizeWorker(false, catalogue::Operation::Move);

    FolderRow* documents = Named("Personal");
    EXPECT_TRUE(documents->SizeGot);
    EXPECT_EQ(documents->FolderSize, 13107206);
    EXPECT_EQ(documents->FoldersCount, 3u);
    EXPECT_EQ(documents->FilesCount, 4u);
    EXPECT_EQ(documents->lsize->text(), "12.50 MB, 3 mappa, 4 fájl");
    EXPECT_EQ(documents->lsize->x(), documents->lfoldername->x() + documents->lfoldername->width() + 20);
    EXPECT_FALSE(Named("My Music")->SizeGot);
    EXPECT_EQ(window->lsizesum->text(), "12.50 MB");
    EXPECT_EQ(window->shared().selectedSizeSum, 13107206);
    EXPECT_TRUE(folders().FkfSizegot);
    EXPECT_FALSE(window->waitWindow->isVisible());
    EXPECT_FALSE(documents->isHidden());  // shown again after the run
}

TEST_F(SizeMeasurementTest, NestedKnownFoldersAreLeftOutOfTheirParent) {
    window->ShowPage(window->overviewPage);
    window->StartSizeWorker(true, catalogue::Operation::Move);
    EXPECT_EQ(Named("Profile")->FolderSize, 1024);  // Documents and Music measured as their own rows
    EXPECT_EQ(Named("Profile")->FoldersCount, 0u);
    EXPECT_EQ(Named("My Music")->FolderSize, 1536);
    EXPECT_FALSE(Named("RecycleBinFolder")->SizeGot);  // no path, nothing to measure
    EXPECT_EQ(window->shared().selectedSizeSum, 13107206 + 1536 + 1024);
}

TEST_F(SizeMeasurementTest, AFolderIsWalkedOncePerRun) {
    window->ShowPage(window->overviewPage);
    window->StartSizeWorker(true, catalogue::Operation::Move);
    CountOpens();
    Named("Personal")->lsize->setText("kept");
    window->waitWindow->lnowisprocessing->setText("stale");
    window->StartSizeWorker(true, catalogue::Operation::Move);
    EXPECT_EQ(Opened(), 0);
    EXPECT_EQ(Named("Personal")->lsize->text(), "kept");
    EXPECT_EQ(window->waitWindow->lnowisprocessing->text(), "");  // emptied on show, never rewritten
    EXPECT_EQ(window->lsizesum->text(), "12.50 MB");
}

TEST_F(SizeMeasurementTest, NothingTickedGivesZeroBytesAndStillCountsAsMeasured) {
    window->ShowPage(window->redirectPage);
    window->StartSizeWorker(false, catalogue::Operation::Move);
    EXPECT_EQ(window->lsizesum->text(), "0 bájt");
    EXPECT_TRUE(folders().FkfSizegot);
    EXPECT_FALSE(window->waitWindow->isVisible());
}

TEST_F(SizeMeasurementTest, MeasuringEverythingTakesUnlistedRowsButHidesOnlyListedOnes) {
    window->ShowPage(window->redirectPage);  // Profile and the trash are not listed here
    std::atomic<bool> profileHidden{true};
    std::atomic<bool> documentsHidden{false};
    fake.onOpenDirectory = [&](const std::string& path) {
        if (path != "C:\\Users\\al\\") return;
        QMetaObject::invokeMethod(window.get(), [&] {
            profileHidden = Named("Profile")->isHidden();
            documentsHidden = Named("Personal")->isHidden();
        }, Qt::BlockingQueuedConnection);
    };
    window->StartSizeWorker(true, catalogue::Operation::Move);
    EXPECT_TRUE(Named("Profile")->SizeGot);
    EXPECT_FALSE(profileHidden);
    EXPECT_TRUE(documentsHidden);
}

TEST_F(SizeMeasurementTest, TheWaitWindowCannotBeClosedWhileTheWorkerRuns) {
    window->ShowPage(window->redirectPage);
    Named("Personal")->cbmove->setChecked(true);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    fake.onOpenDirectory = [released](const std::string&) { released.wait(); };
    bool stillOpen = false;
    QTimer::singleShot(50, [&] {
        window->waitWindow->close();
        window->waitWindow->reject();
        QTest::keyClick(window->waitWindow, Qt::Key_Escape);
        stillOpen = window->waitWindow->isVisible();
        release.set_value();
    });
    window->StartSizeWorker(false, catalogue::Operation::Move);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(Named("Personal")->SizeGot);  // the handler went on only after the work was done
}

TEST_F(SizeMeasurementTest, AWaitThatEndedBeforeTheWindowAppearedDoesNotStayOpen) {
    bool stuck = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        stuck = true;
        window->waitWindow->EndWait();
    });
    guard.start(3000);
    window->waitWindow->BeginWait();
    window->waitWindow->EndWait();
    window->waitWindow->ShowAbout(true);
    EXPECT_FALSE(stuck);
    EXPECT_FALSE(window->waitWindow->isVisible());
}

TEST_F(SizeMeasurementTest, NextAndBackComeBackAsTheyWereAfterTheWait) {
    window->ShowPage(window->redirectPage);
    ASSERT_FALSE(window->bnext->isEnabled());
    window->StartSizeWorker(false, catalogue::Operation::Move);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_TRUE(window->bprevious->isEnabled());
    Named("Personal")->cbmove->setChecked(true);
    window->bnext->setEnabled(folders().CountTicked(catalogue::Operation::Move));
    window->StartSizeWorker(false, catalogue::Operation::Move);
    EXPECT_TRUE(window->bnext->isEnabled());
}

}  // namespace
}  // namespace trovel::testing

namespace trovel::testing {
namespace {

using KeptFoldersTest = CatalogueTest;

TEST_F(KeptFoldersTest, AFolderThatIsOrHoldsTheProfileIsNeitherOfferedNorMeasured) {
    fake.files["C:\\Users\\al"] = platform::fake::FakeFile{platform::kAttributeDirectory, 0};
    fake.files["C:\\Users\\al\\big.bin"] = platform::fake::FakeFile{platform::kAttributeNormal, 1 << 20};
    Add("Profile", "C:\\Users\\al", platform::KF_CATEGORY_FIXED, 0).id = platform::FOLDERID_Profile;
    Add("Local AppData", "C:\\Users\\al\\AppData\\Local", platform::KF_CATEGORY_PERUSER, 0).id =
        platform::FOLDERID_LocalAppData;
    // What a registry might say after a reset: folders pointing at the profile, above it, at a root.
    Add("My Music", "C:\\USERS\\AL\\");
    Add("My Pictures", "C:\\Users");
    Add("My Video", "C:\\");
    Add("Templates", "C:\\Users\\al\\AppData");
    Add("Personal", "C:\\Users\\al\\Documents");
    Add("Program Files", "C:\\Users\\alice");
    Build();
    const auto row = [&](const std::string& name) {
        for (FolderRow* r : folders().framearr)
            if (r->FolderDefinition.name == name) return r;
        return static_cast<FolderRow*>(nullptr);
    };
    for (const char* name : {"My Music", "My Pictures", "My Video", "Templates"}) {
        EXPECT_TRUE(row(name)->HoldsKeptFolder) << name;
        EXPECT_NE(row(name)->FolderRedirectionCapability, 1u) << name;
    }
    for (const char* name : {"Personal", "Program Files"}) {
        EXPECT_FALSE(row(name)->HoldsKeptFolder) << name;
        EXPECT_EQ(row(name)->FolderRedirectionCapability, 1u) << name;
    }
    EXPECT_FALSE(row("Profile")->HoldsKeptFolder);  // the profile itself is measured as what it is

    window->show();
    window->ShowPage(window->overviewPage);
    window->StartSizeWorker(true, catalogue::Operation::Move);
    EXPECT_FALSE(row("My Music")->SizeGot);
    EXPECT_TRUE(row("Profile")->SizeGot);
    EXPECT_EQ(window->shared().selectedSizeSum, 1 << 20);
}

}  // namespace
}  // namespace trovel::testing

namespace trovel::testing {
namespace {

TEST_F(SizeMeasurementTest, AWorkerThatFailsStillClosesTheWaitWindowAndShowsTheRows) {
    window->ShowPage(window->overviewPage);
    fake.onOpenDirectory = [](const std::string& path) {
        if (path.find("Music") != std::string::npos) throw std::bad_alloc();
    };
    window->StartSizeWorker(true, catalogue::Operation::Move);  // returns: the wait window did not stay open
    EXPECT_FALSE(window->waitWindow->isVisible());
    EXPECT_FALSE(Named("Personal")->isHidden());
    EXPECT_FALSE(Named("My Music")->SizeGot);
    fake.onOpenDirectory = nullptr;
    window->StartSizeWorker(true, catalogue::Operation::Move);
    EXPECT_TRUE(Named("My Music")->SizeGot);
}

}  // namespace
}  // namespace trovel::testing
