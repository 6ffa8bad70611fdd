// Runs that did not end as they should, through the real window on the fake registry: the
// start-up question about a relocation killed in an earlier session, and a relocation in
// progress when the application is told to quit.
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>

#include "gui/window/about_window.h"
#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"

namespace trovel::testing {
namespace {

class InterruptedRunsTest : public CatalogueTest {
protected:
    void SetUp() override {
        AddSystemFolderAndDrives();
        documents = &Add("Personal", "C:\\Users\\al\\Documents");
        documents->defaultPath = documents->path;
        pictures = &Add("My Pictures", "C:\\Users\\al\\Pictures");
        pictures->defaultPath = pictures->path;
    }
    FolderRow* RowOf(const FakeFolder& folder) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderID == folder.id) return row;
        return nullptr;
    }
    // The window as the program starts it: built, shown, and its first events run.
    void Start() {
        Build();
        window->show();
        QCoreApplication::processEvents();
    }

    FakeFolder* documents = nullptr;
    FakeFolder* pictures = nullptr;
};

TEST_F(InterruptedRunsTest, WithoutAnInterruptedRunNothingIsAsked) {
    Start();
    EXPECT_TRUE(fake.CallsOf("ShowMessageBox").empty());
    EXPECT_TRUE(fake.CallsOf("RecoverRedirect").empty());
}

TEST_F(InterruptedRunsTest, YesSettlesTheInterruptedFolderBehindTheWaitWindowAndShowsWhatBecameOfIt) {
    fake.interrupted = {pictures->id};
    fake.recoverReport = "A megszakadt áthelyezés visszavonva, a mappa a régi helyén maradt: C:\\Users\\al\\Pictures";
    fake.messageBoxAnswer = platform::kIdYes;
    Start();
    const auto boxes = fake.CallsOf("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 2u);
    const std::string name = RowOf(*pictures)->lfoldername->text().toStdString();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(boxes[0].text, "Trovel\nEgy korábbi áthelyezés megszakadt (" + name +
                                 "). Befejezi vagy visszavonja most a program?");
    EXPECT_EQ(boxes[0].flags, static_cast<std::uint32_t>(platform::kMbYesNo | platform::kMbIconQuestion));
    const auto recovered = fake.CallsOf("RecoverRedirect");
    ASSERT_EQ(recovered.size(), 1u);
    EXPECT_EQ(recovered[0].id, pictures->id);
    EXPECT_EQ(boxes[1].text, "Trovel\n" + fake.recoverReport);
    EXPECT_EQ(boxes[1].flags, static_cast<std::uint32_t>(platform::kMbOk | platform::kMbIconInformation));
    EXPECT_TRUE(fake.interrupted.empty());
    EXPECT_FALSE(window->waitWindow->isVisible());
    EXPECT_TRUE(window->bnext->isHidden());  // the welcome page, as it was
    EXPECT_TRUE(window->bexit->isEnabled());
}

TEST_F(InterruptedRunsTest, ASetAsideJournalIsReportedWithAWarning) {
    fake.interrupted = {pictures->id, documents->id};
    fake.recoverResult = platform::kFail;
    fake.recoverOutcome = platform::RecoveryOutcome::SetAside;
    fake.recoverReport = "A naplót félretettem, semmihez sem nyúltam.";
    fake.messageBoxAnswer = platform::kIdYes;
    Start();
    const auto boxes = fake.CallsOf("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find("Korábbi áthelyezések megszakadtak ("), std::string::npos) << boxes[0].text;
    EXPECT_EQ(fake.CallsOf("RecoverRedirect").size(), 2u);
    EXPECT_EQ(boxes[1].text, "Trovel\n" + fake.recoverReport + "\n" + fake.recoverReport);
    EXPECT_EQ(boxes[1].flags, static_cast<std::uint32_t>(platform::kMbOk | platform::kMbIconWarning));
}

TEST_F(InterruptedRunsTest, NoLeavesTheInterruptedFolderForItsNextMove) {
    fake.interrupted = {pictures->id};
    fake.messageBoxAnswer = platform::kIdNo;
    Start();
    EXPECT_EQ(fake.CallsOf("ShowMessageBox").size(), 1u);
    EXPECT_TRUE(fake.CallsOf("RecoverRedirect").empty());
    EXPECT_EQ(fake.interrupted.size(), 1u);
}

TEST_F(InterruptedRunsTest, QuittingDuringACopyStopsItAndReturnsOnlyOnceItIsRolledBack) {
    pictures->redirectReportsProgress = true;
    pictures->redirectWaitsForCancel = true;  // for up to ten seconds
    Start();
    window->ShowPage(window->redirectPage);
    RowOf(*pictures)->cbmove->setChecked(true);
    RowOf(*documents)->cbmove->setChecked(true);
    window->bnextClick();
    RowOf(*pictures)->cbcopy->setChecked(true);
    RowOf(*documents)->cbcopy->setChecked(true);
    folders().FkfSizegot = true;
    window->bnextClick();
    window->bnextClick();
    ASSERT_EQ(window->ShownPage(), window->drivesPage);
    for (space::DriveRow* drive : window->drives().vObjarr)
        if (drive->vDrive == "E:\\") QTest::mouseClick(drive->cbusethis, Qt::LeftButton);
    ASSERT_TRUE(window->bnext->isEnabled());

    // The session ends once the copy is under way (the cancel button is offered with its
    // first report).
    bool quit = false;
    bool endedFirst = false;
    std::chrono::steady_clock::duration took{};
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window->waitWindow->bcancel->isHidden()) return;
        poll.stop();
        const auto start = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection);
        took = std::chrono::steady_clock::now() - start;
        quit = true;
        endedFirst = window->waitWindow->WorkDone();
    });
    poll.start(5);
    window->bnextClick();
    ASSERT_TRUE(quit);
    EXPECT_TRUE(endedFirst);                     // the handler returned after the run's end
    EXPECT_LT(took, std::chrono::seconds(5));    // the fake saw the cancel: it did not wait it out
    EXPECT_EQ(fake.CallsOf("Redirect").size(), 1u);  // the folder after it was not touched
    EXPECT_FALSE(RowOf(*pictures)->cbredirected->isChecked());
    EXPECT_EQ(pictures->path, "C:\\Users\\al\\Pictures");
    EXPECT_FALSE(window->waitWindow->isVisible());
}

}  // namespace
}  // namespace trovel::testing
