// The relocation run and the restore through the real window on the fake registry: which
// shell call each folder gets, what its row shows afterwards, the counts, the error box, the
// cancel button, and the sign-out on Exit from the last pages.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <thread>

#include "gui/window/about_window.h"
#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"

namespace trovel::testing {
namespace {

class RedirectRunTest : public CatalogueTest {
protected:
    void SetUp() override {
        AddSystemFolderAndDrives();
        documents = &Folder("Personal", "C:\\Users\\al\\Documents");
        music = &Folder("My Music", "C:\\Users\\al\\Documents\\Music");
        pictures = &Folder("My Pictures", "C:\\Users\\al\\Pictures");
        // Already redirected elsewhere: its place still comes from its default path.
        videos = &Folder("My Video", "D:\\Elsewhere\\Videos", "C:\\Users\\al\\Videos");
    }
    FakeFolder& Folder(const std::string& name, const std::string& path, const std::string& defaultPath = {}) {
        FakeFolder& folder = Add(name, path);
        folder.defaultPath = defaultPath.empty() ? path : defaultPath;
        return folder;
    }
    FolderRow* RowOf(const FakeFolder& folder) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderID == folder.id) return row;
        return nullptr;
    }
    struct Choice {
        FakeFolder* folder;
        bool move, copy, remove;
    };
    // Walks the relocation pages as the user does, ticking the boxes, chooses E:\ and goes on
    // to the status page, which runs the relocation behind the wait window.
    void Relocate(const std::vector<Choice>& choices) {
        Build();
        if (notifyAfterMs >= 0) window->notifyAfterMs = notifyAfterMs;
        window->show();
        window->ShowPage(window->redirectPage);
        for (const Choice& choice : choices) RowOf(*choice.folder)->cbmove->setChecked(choice.move);
        window->bnextClick();
        for (const Choice& choice : choices)
            if (choice.move) RowOf(*choice.folder)->cbcopy->setChecked(choice.copy);
        folders().FkfSizegot = true;
        window->bnextClick();
        for (const Choice& choice : choices)
            if (choice.move && choice.copy) RowOf(*choice.folder)->cbdelete->setChecked(choice.remove);
        window->bnextClick();
        ASSERT_EQ(window->ShownPage(), window->drivesPage);
        for (space::DriveRow* drive : window->drives().vObjarr)
            if (drive->vDrive == "E:\\") QTest::mouseClick(drive->cbusethis, Qt::LeftButton);
        ASSERT_TRUE(window->bnext->isEnabled());
        window->bnextClick();
        ASSERT_EQ(window->ShownPage(), window->statusPage);
    }
    std::vector<platform::fake::Call> Shell(const char* operation) { return fake.CallsOf(operation); }
    // What a processed row shows: "RC" both ticked, "R-" redirected only, "--" neither.
    std::string Boxes(const FakeFolder& folder) {
        FolderRow* row = RowOf(folder);
        if (row->cbredirected->isHidden()) return "hidden";
        return std::string(row->cbredirected->isChecked() ? "R" : "-") + (row->cbcopied->isChecked() ? "C" : "-");
    }

    // The one line a processed row says about its folder.
    std::string Reason(const FakeFolder& folder) {
        FolderRow* row = RowOf(folder);
        if (row->lreason->isHidden()) return "hidden";
        return row->lreason->text().toStdString();
    }
    QString PaneText(QWidget* pane) {
        auto* label = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Text"));
        return label != nullptr ? label->text() : QString();
    }

    qint64 notifyAfterMs = -1;  // the window's own unless set
    FakeFolder* documents = nullptr;
    FakeFolder* music = nullptr;
    FakeFolder* pictures = nullptr;
    FakeFolder* videos = nullptr;
};

TEST_F(RedirectRunTest, EachFolderGetsTheCallItsBoxesAskFor) {
    fake.files["E:\\Users\\al\\Pictures"] = {platform::kAttributeDirectory, 0, true};
    Relocate({{documents, true, true, true}, {music, true, true, false}, {pictures, true, false, false},
              {videos, true, false, false}});
    const auto redirects = Shell("Redirect");
    ASSERT_EQ(redirects.size(), 2u);
    // In the list's order (by name), the nested folder before the folder that holds it.
    EXPECT_EQ(redirects[0].id, music->id);
    EXPECT_EQ(redirects[0].flags, 0x202u);  // copy only
    EXPECT_EQ(redirects[0].text, "E:\\Users\\al\\Documents\\Music");
    EXPECT_TRUE(redirects[0].exclusions.empty());
    // Copy and delete: 0x602, naming the nested folder.
    EXPECT_EQ(redirects[1].id, documents->id);
    EXPECT_EQ(redirects[1].flags, 0x602u);
    EXPECT_EQ(redirects[1].text, "E:\\Users\\al\\Documents");
    EXPECT_EQ(redirects[1].exclusions, (std::vector<platform::KnownFolderId>{music->id}));
    // Move only: SetPath with 0x2000 where the folder exists on the drive; nothing where it does not.
    const auto setPaths = Shell("SetPath");
    ASSERT_EQ(setPaths.size(), 1u);
    EXPECT_EQ(setPaths[0].id, pictures->id);
    EXPECT_EQ(setPaths[0].flags, 0x2000u);
    EXPECT_EQ(setPaths[0].text, "E:\\Users\\al\\Pictures");

    EXPECT_EQ(Boxes(*documents), "RC");
    EXPECT_EQ(Boxes(*music), "RC");
    EXPECT_EQ(Boxes(*pictures), "R-");
    EXPECT_EQ(Boxes(*videos), "--");  // skipped: visible, as they were
    EXPECT_EQ(RowOf(*documents)->lfolderpath->text(), "E:\\Users\\al\\Documents");
    EXPECT_EQ(RowOf(*videos)->lfolderpath->text(), "D:\\Elsewhere\\Videos");
    EXPECT_TRUE(RowOf(*documents)->selected());
    EXPECT_FALSE(RowOf(*videos)->selected());
    for (const FakeFolder* folder : {documents, music, pictures, videos}) {
        FolderRow* row = RowOf(*folder);
        EXPECT_EQ(row->parentWidget(), window->statusPage);
        EXPECT_FALSE(row->cbmove->isEnabled());
        EXPECT_TRUE(row->lsize->isHidden());
    }
    EXPECT_EQ(folders().Fkflistcount, 4u);
    EXPECT_EQ(folders().Fkfselectedcount, 3u);
    EXPECT_EQ(window->lcheckedcount->text(), "3");
    EXPECT_EQ(window->lfolderslisted->text(), "4");
    EXPECT_TRUE(window->bnext->isHidden());
    EXPECT_TRUE(window->bprevious->isHidden());
    EXPECT_EQ(window->bexit->text(), "Kilépés");
    EXPECT_FALSE(window->waitWindow->isVisible());
}

TEST_F(RedirectRunTest, TheRunIsToldWhatTheDriveWasWhenItWasChosen) {
    fake.driveIdentities["E:\\"] = {0x801, 77};
    Relocate({{music, true, true, false}});
    ASSERT_EQ(fake.redirectHooks.size(), 1u);
    EXPECT_EQ(fake.redirectHooks[0].driveRoot, "E:\\");
    EXPECT_EQ(fake.redirectHooks[0].driveDevice, 0x801u);
    EXPECT_EQ(fake.redirectHooks[0].driveMountId, 77u);
}

TEST_F(RedirectRunTest, TheDestinationComesFromTheDefaultPathNotFromWhereTheFolderIsNow) {
    Relocate({{videos, true, true, false}});
    const auto redirects = Shell("Redirect");
    ASSERT_EQ(redirects.size(), 1u);
    EXPECT_EQ(redirects[0].text, "E:\\Users\\al\\Videos");
    EXPECT_EQ(Boxes(*videos), "RC");
}

TEST_F(RedirectRunTest, AFolderMovedWithoutContentWhoseDestinationIsMissingIsSkipped) {
    Relocate({{pictures, true, false, false}});
    EXPECT_TRUE(Shell("SetPath").empty());
    EXPECT_TRUE(Shell("Redirect").empty());
    EXPECT_EQ(Boxes(*pictures), "--");
    EXPECT_EQ(window->lfolderslisted->text(), "1");
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    // Nothing was relocated: Exit only closes.
    window->bexitClick();
    EXPECT_TRUE(Shell("SignOut").empty());
}

TEST_F(RedirectRunTest, FailuresShowOnlyInTheirRowsAndTheRunGoesOn) {
    documents->redirectResult = platform::kAccessDenied;
    music->defaultPath.clear();  // no default path, no destination: failed without a call
    Relocate({{documents, true, true, false}, {music, true, true, false}, {pictures, true, true, false}});
    EXPECT_EQ(Boxes(*documents), "--");
    EXPECT_EQ(Boxes(*music), "--");
    EXPECT_EQ(Boxes(*pictures), "RC");
    EXPECT_FALSE(RowOf(*documents)->selected());
    EXPECT_EQ(RowOf(*documents)->lfolderpath->text(), "C:\\Users\\al\\Documents");
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_EQ(window->lfolderslisted->text(), "3");
    EXPECT_EQ(Shell("Redirect").size(), 2u);
    EXPECT_TRUE(Shell("ShowMessageBox").empty());  // a failure result shows no message
}

TEST_F(RedirectRunTest, AFolderAnotherRunIsMovingIsSaidInABoxAndTheRunGoesOn) {
    music->redirectResult = platform::kBusy;
    music->redirectErrorText = "Ennek a mappának az áthelyezése már folyamatban van: C:\\Users\\al\\Documents\\Music";
    Relocate({{music, true, true, false}, {pictures, true, true, false}});
    const auto boxes = Shell("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Trovel\n" + music->redirectErrorText);
    EXPECT_EQ(Boxes(*music), "--");
    EXPECT_EQ(Boxes(*pictures), "RC");
}

TEST_F(RedirectRunTest, ARedirectThatRaisesAnErrorShowsTheErrorBoxAndTheRunGoesOn) {
    documents->redirectThrows = true;
    fake.lastErrorText = "Access is denied.";
    Relocate({{documents, true, true, false}, {pictures, true, true, false}});
    const auto boxes = Shell("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].flags, 0x40u);
    EXPECT_EQ(fake.messageBoxThread, std::this_thread::get_id());  // on the window's thread, the worker waiting
    EXPECT_EQ(boxes[0].text,
              "Trovel 2\nPlease inform me for this message while processing \"Personal (My Documents)\"\r\n"
              "Access is denied.\r\nthe shell raised an error");
    EXPECT_EQ(Boxes(*documents), "--");
    EXPECT_EQ(Boxes(*pictures), "RC");
}

// A drive only an administrator may write: one approval before the first write.
class ApprovalRunTest : public RedirectRunTest {
protected:
    void SetUp() override {
        RedirectRunTest::SetUp();
        Add("Profile", "C:\\Users\\al", platform::KF_CATEGORY_FIXED, 0).id = platform::FOLDERID_Profile;
        fake.uncreatable = {"E:\\Users\\al"};
        fake.administratorCanPrepare = true;
    }
};

TEST_F(ApprovalRunTest, TheDriveRowSaysAnAdministratorMustApprove) {
    Build();
    ASSERT_EQ(window->drives().vObjarr.size(), 1u);
    EXPECT_NE(window->drives().vObjarr[0]->ldrvlabel->text().toStdString().find("rendszergazdai jóváhagyás szükséges"),
              std::string::npos);
}

TEST_F(ApprovalRunTest, AGivenApprovalComesOnceBeforeTheFirstShellCall) {
    fake.approval = platform::Approval::Given;
    Relocate({{music, true, true, false}, {pictures, true, true, false}});
    ASSERT_EQ(fake.approvalsAsked.size(), 1u);
    EXPECT_EQ(fake.approvalsAsked[0].second, "E:\\Users\\al");
    EXPECT_EQ(Shell("Redirect").size(), 2u);
    EXPECT_EQ(Boxes(*music), "RC");
}

TEST_F(ApprovalRunTest, ARefusedApprovalStartsNoFolderAndSaysWhy) {
    fake.approval = platform::Approval::Refused;
    fake.approvalText = "administrator approval was refused";
    Relocate({{music, true, true, false}, {pictures, true, true, false}});
    EXPECT_TRUE(Shell("Redirect").empty());
    EXPECT_TRUE(Shell("SetPath").empty());
    const auto boxes = Shell("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Trovel\nnem indult el: administrator approval was refused");
    EXPECT_EQ(Boxes(*music), "--");
    EXPECT_EQ(Boxes(*pictures), "--");
    EXPECT_EQ(window->lcheckedcount->text(), "0");
}

// The window, noting what its effects do as they happen and how many shell calls were made by then.
class NotingWindow : public app::MainWindow {
public:
    NotingWindow(platform::fake::FakePlatform& platform) : MainWindow(platform), fake_(platform) {}
    void SetProgressLine(const QString& text) override {
        notes.push_back(text.toStdString() + " after " + std::to_string(fake_.CallsOf("Redirect").size()));
        MainWindow::SetProgressLine(text);
    }
    void EndWait() override {
        notes.push_back("end, counted " + lcheckedcount->text().toStdString());
        MainWindow::EndWait();
    }
    std::vector<std::string> notes;

private:
    platform::fake::FakePlatform& fake_;
};

TEST_F(RedirectRunTest, EachFolderIsNamedBeforeItsCallAndTheWaitEndsAfterTheCounts) {
    auto noting = std::make_unique<NotingWindow>(fake);
    NotingWindow* notes = noting.get();
    window = std::move(noting);
    window->show();
    window->ShowPage(window->redirectPage);
    for (FakeFolder* folder : {documents, pictures, videos}) RowOf(*folder)->cbmove->setChecked(true);
    window->bnextClick();
    window->shared().chosenDriveRoot = "E:\\";
    window->ShowPage(window->statusPage);
    EXPECT_EQ(notes->notes, (std::vector<std::string>{"Folyamatban: My Pictures after 0", "Folyamatban: My Video after 1",
                                                      "Folyamatban: Personal (My Documents) after 2", "end, counted 3"}));
}

TEST_F(ApprovalRunTest, TheWaitWindowSaysTheApprovalIsAwaitedBeforeAnyCall) {
    fake.approval = platform::Approval::Given;
    auto noting = std::make_unique<NotingWindow>(fake);
    NotingWindow* notes = noting.get();
    window = std::move(noting);
    window->show();
    window->ShowPage(window->redirectPage);
    RowOf(*pictures)->cbmove->setChecked(true);
    window->bnextClick();
    window->shared().chosenDriveRoot = "E:\\";
    window->ShowPage(window->statusPage);
    EXPECT_EQ(notes->notes, (std::vector<std::string>{"Rendszergazdai jóváhagyásra vár after 0",
                                                      "Folyamatban: My Pictures after 0", "end, counted 1"}));
}

TEST_F(RedirectRunTest, NoActiveRowsCountNothingAndTheWaitEnds) {
    Build();
    window->show();
    window->ShowPage(window->statusPage);
    EXPECT_TRUE(Shell("Redirect").empty());
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    EXPECT_EQ(window->lfolderslisted->text(), "0");
    EXPECT_FALSE(window->waitWindow->isVisible());
}

TEST_F(RedirectRunTest, ARowASearchTookOffTheScreenIsStillProcessed) {
    Build();
    window->show();
    window->ShowPage(window->redirectPage);
    RowOf(*documents)->cbmove->setChecked(true);
    RowOf(*pictures)->cbmove->setChecked(true);
    window->bnextClick();
    RowOf(*documents)->cbcopy->setChecked(true);
    RowOf(*pictures)->cbcopy->setChecked(true);
    folders().FindItems(QStringLiteral("Pictures"), true, true, window->copyPage, window->pageScrollBar, window->lfolderslisted);
    ASSERT_FALSE(RowOf(*documents)->IsAttached());
    window->shared().chosenDriveRoot = "E:\\";
    window->ShowPage(window->statusPage);
    EXPECT_EQ(Shell("Redirect").size(), 2u);
    EXPECT_EQ(Boxes(*documents), "RC");
}

TEST_F(RedirectRunTest, CancellingTheCopyRollsBackThatFolderAndSkipsTheRest) {
    // In the list's order My Pictures comes before Personal.
    pictures->redirectReportsProgress = true;
    pictures->redirectWaitsForCancel = true;
    bool offered = false;
    QString transfer;
    // Presses the wait window's cancel button once it has appeared with the first report.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window == nullptr || window->waitWindow->bcancel->isHidden()) return;
        offered = true;
        transfer = window->waitWindow->ltransfer->text();
        poll.stop();
        QTest::mouseClick(window->waitWindow->bcancel, Qt::LeftButton);
    });
    poll.start(5);
    Relocate({{pictures, true, true, true}, {documents, true, true, false}});
    EXPECT_TRUE(offered);
    EXPECT_EQ(transfer.left(20), QString::fromUtf8("Másolás: 512 bájt / "));
    EXPECT_EQ(Shell("Redirect").size(), 1u);  // the folder after it was not touched
    EXPECT_EQ(Boxes(*documents), "--");
    EXPECT_EQ(Boxes(*pictures), "--");
    EXPECT_FALSE(RowOf(*documents)->cbcopied->isHidden());
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    EXPECT_TRUE(window->waitWindow->bcancel->isHidden());
    // The folder that was never started does not pass for a failed one.
    EXPECT_EQ(Reason(*pictures), "Visszavonva: a másolást megszakította.");
    EXPECT_EQ(Reason(*documents), "Nem kezdődött el: a műveletet megszakította.");
}

TEST_F(RedirectRunTest, TheWaitWindowSaysFoldersAreMovedAndTheTransferLineNamesEachStage) {
    documents->redirectReportsProgress = true;
    // Each stage lasts long enough for the window to show it.
    fake.onRedirectPhase = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
    std::vector<QString> lines;
    QString caption;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window == nullptr || !window->waitWindow->isVisible()) return;
        caption = window->waitWindow->lwait->text();
        const QString line = window->waitWindow->ltransfer->isHidden() ? QString() : window->waitWindow->ltransfer->text();
        if (!line.isEmpty() && (lines.empty() || lines.back() != line)) lines.push_back(line);
    });
    poll.start(5);
    Relocate({{documents, true, true, true}});
    poll.stop();
    EXPECT_EQ(caption, QString::fromUtf8("A mappák áthelyezése, kérem várjon..."));
    ASSERT_EQ(lines.size(), 3u) << (lines.empty() ? std::string() : lines.back().toStdString());
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("Másolás: 512 bájt / "))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QString::fromUtf8("Ellenőrzés: a másolat összevetése…"));
    EXPECT_EQ(lines[2], QString::fromUtf8("Törlés: a régi tartalom törlése…"));
    for (const QString& line : lines) EXPECT_FALSE(line.contains(QString::fromUtf8("még kb. 0"))) << line.toStdString();
    // A size measurement afterwards says its own caption again.
    window->waitWindow->BeginWait();
    EXPECT_EQ(window->waitWindow->lwait->text(), QString::fromUtf8("A méretek kiszámítása, kérem várjon..."));
    window->waitWindow->EndWait();
}

TEST_F(RedirectRunTest, ARunThatEndsWhileTheUserIsElsewhereIsToldByTheDesktop) {
    QWidget elsewhere;  // another window, which the user turned to while the run went on
    elsewhere.show();
    documents->redirectReportsProgress = true;
    fake.onRedirectPhase = [&elsewhere](const std::string& phase) {
        if (phase == "end")
            QMetaObject::invokeMethod(&elsewhere, [&elsewhere] { QApplication::setActiveWindow(&elsewhere); },
                                      Qt::BlockingQueuedConnection);
    };
    notifyAfterMs = 0;
    Relocate({{documents, true, true, false}});
    ASSERT_FALSE(window->isActiveWindow());
    const auto notes = Shell("Notify");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].text, "A mappák áthelyezése befejeződött\nÁthelyezve: 1 mappa.");
}

TEST_F(RedirectRunTest, AShortRunIsNotNotified) {
    QWidget elsewhere;
    elsewhere.show();
    documents->redirectReportsProgress = true;
    fake.onRedirectPhase = [&elsewhere](const std::string& phase) {
        if (phase == "end")
            QMetaObject::invokeMethod(&elsewhere, [&elsewhere] { QApplication::setActiveWindow(&elsewhere); },
                                      Qt::BlockingQueuedConnection);
    };
    Relocate({{documents, true, true, false}});  // well under ten seconds
    EXPECT_TRUE(Shell("Notify").empty());
}

TEST_F(RedirectRunTest, ExitWhereNoSessionManagerAnswersSaysToSignOutByHand) {
    fake.signOutResult = false;
    Relocate({{documents, true, true, false}});
    window->bexitClick();
    ASSERT_EQ(Shell("SignOut").size(), 1u);
    const auto boxes = Shell("ShowMessageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("jelentkezzen ki, majd jelentkezzen be újra"), std::string::npos);
}

TEST_F(RedirectRunTest, EachRowSaysWhatBecameOfItsFolderAndWhy) {
    documents->redirectResult = platform::kDiskFull;
    documents->redirectErrorText = "Nincs elég hely a célon (kell 9 GB, van 2 GB): E:\\Users\\al\\Documents";
    music->redirectResult = platform::kFail;
    music->redirectErrorText = "A fájl nem másolható (No space left on device): E:\\Users\\al\\Documents\\Music\\a.flac";
    Relocate({{documents, true, true, false}, {music, true, true, false}, {pictures, true, false, false},
              {videos, true, true, true}});
    EXPECT_EQ(Reason(*documents), "Elutasítva: nincs elég hely a meghajtón.");
    EXPECT_EQ(Reason(*music), "Visszavonva: a fájl nem másolható (No space left on device).");
    EXPECT_EQ(Reason(*pictures), "Kihagyva: a mappa nincs meg a meghajtón.");
    EXPECT_EQ(Reason(*videos), "Áthelyezve a tartalmával együtt.");
    // The whole story, with the mover's own words and the paths, is the tooltip.
    const QString full = RowOf(*music)->lreason->toolTip();
    EXPECT_TRUE(full.contains(QString::fromStdString(music->redirectErrorText))) << full.toStdString();
    EXPECT_TRUE(RowOf(*pictures)->lreason->toolTip().contains("E:\\Users\\al\\Pictures"));
    EXPECT_TRUE(RowOf(*videos)->lreason->toolTip().contains("E:\\Users\\al\\Videos"));
    // The reason takes the description's place, in a colour of its own.
    EXPECT_TRUE(RowOf(*music)->ldescription->isHidden());
    EXPECT_NE(RowOf(*music)->lreason->palette().color(QPalette::WindowText),
              RowOf(*videos)->lreason->palette().color(QPalette::WindowText));
    // The left pane counts both, and asks to sign out, as one folder did change.
    const QString closing = PaneText(window->statusPane);
    EXPECT_TRUE(closing.startsWith(QString::fromUtf8("Áthelyezve: 1 mappa, nem sikerült: 3 mappa."))) << closing.toStdString();
    EXPECT_TRUE(closing.contains("ki kell jelentkeznie"));
}

TEST_F(RedirectRunTest, WhenNothingChangedThePaneDoesNotAskForASignOut) {
    documents->redirectResult = platform::kAccessDenied;
    Relocate({{documents, true, true, false}});
    const QString closing = PaneText(window->statusPane);
    EXPECT_TRUE(closing.startsWith(QString::fromUtf8("Áthelyezve: 0 mappa, nem sikerült: 1 mappa."))) << closing.toStdString();
    EXPECT_FALSE(closing.contains("ki kell jelentkeznie"));
    EXPECT_TRUE(closing.contains("nem kell kijelentkeznie"));
}

TEST_F(RedirectRunTest, ExitAfterARelocationSignsOutButTheCloseBoxDoesNot) {
    Relocate({{documents, true, true, false}});
    window->close();
    EXPECT_TRUE(Shell("SignOut").empty());
    window->show();
    window->bexitClick();
    const auto signOuts = Shell("SignOut");
    ASSERT_EQ(signOuts.size(), 1u);
    EXPECT_EQ(signOuts[0].flags, 16u);
    EXPECT_FALSE(window->isVisible());
}

class RestoreTest : public RedirectRunTest {
protected:
    // Ticks the given folders on the restore page and goes on to the restored page.
    void Restore(const std::vector<FakeFolder*>& folders) {
        Build();
        window->show();
        window->ShowPage(window->restorePage);
        for (FakeFolder* folder : folders) RowOf(*folder)->cbmove->setChecked(true);
        window->bnextClick();
        ASSERT_EQ(window->ShownPage(), window->restoredPage);
    }
};

TEST_F(RestoreTest, TickedFoldersGoBackToTheirDefaultPathsAndTheRestLeave) {
    pictures->setPathResult = platform::kAccessDenied;
    Restore({videos, documents, pictures});
    // The default path is asked for with creation, and set with flags 0.
    bool askedWithCreate = false;
    for (const auto& call : Shell("GetPath"))
        if (call.id == videos->id && call.flags == 0xC600u) askedWithCreate = true;
    EXPECT_TRUE(askedWithCreate);
    const auto setPaths = Shell("SetPath");
    ASSERT_EQ(setPaths.size(), 3u);
    for (const auto& call : setPaths) EXPECT_EQ(call.flags, 0u);
    EXPECT_EQ(videos->path, "C:\\Users\\al\\Videos");
    EXPECT_EQ(RowOf(*videos)->lfolderpath->text(), "C:\\Users\\al\\Videos");
    // A folder already at its default place is set there again and counts.
    EXPECT_TRUE(RowOf(*documents)->cbredirected->isChecked());
    EXPECT_FALSE(RowOf(*pictures)->cbredirected->isChecked());
    EXPECT_EQ(Reason(*documents), "Visszahelyezve az eredeti helyére.");
    EXPECT_EQ(Reason(*pictures), "Nem sikerült visszahelyezni: a rendszer nem engedte.");
    EXPECT_TRUE(PaneText(window->restoredPane).startsWith(QString::fromUtf8("Visszahelyezve: 2 mappa, nem sikerült: 1 mappa.")));
    // The longer text pushes the foot links down rather than under them.
    const auto* text = window->restoredPane->findChild<QLabel*>(QStringLiteral("TSRestoredLText"));
    const auto* web = window->restoredPane->findChild<QLabel*>(QStringLiteral("Label33"));
    const auto* donate = window->restoredPane->findChild<QLabel*>(QStringLiteral("Label34"));
    ASSERT_TRUE(text != nullptr && web != nullptr && donate != nullptr);
    EXPECT_GE(text->heightForWidth(text->width()), 0);
    EXPECT_GT(web->y(), text->y() + text->heightForWidth(text->width()));
    EXPECT_GT(donate->y(), web->geometry().bottom());
    EXPECT_FALSE(RowOf(*music)->active);
    EXPECT_FALSE(RowOf(*music)->IsAttached());
    EXPECT_EQ(RowOf(*videos)->parentWidget(), window->restoredPage);
    EXPECT_EQ(window->lcheckedcount->text(), "2");
    EXPECT_EQ(window->lfolderslisted->text(), "3");
    EXPECT_TRUE(window->bnext->isHidden());
    EXPECT_TRUE(window->bprevious->isHidden());
    window->close();  // the close box never signs out
    EXPECT_TRUE(Shell("SignOut").empty());
    window->bexitClick();
    EXPECT_EQ(Shell("SignOut").size(), 1u);
}

TEST_F(RestoreTest, NothingTickedLeavesAnEmptyPageAndCountsNothing) {
    Build();
    window->show();
    window->ShowPage(window->restoredPage);
    for (FolderRow* row : folders().framearr) EXPECT_FALSE(row->active);
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    EXPECT_TRUE(Shell("SetPath").empty());
    window->bexitClick();
    EXPECT_TRUE(Shell("SignOut").empty());
}

TEST_F(RestoreTest, AFolderWithoutADefaultPathFails) {
    videos->defaultPath.clear();
    Restore({videos});
    EXPECT_TRUE(Shell("SetPath").empty());
    EXPECT_FALSE(RowOf(*videos)->cbredirected->isChecked());
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    EXPECT_EQ(Reason(*videos), "Elutasítva: az eredeti hely nem határozható meg.");
}


// The question after Tovább on the restore page: Igen brings the content back through the
// relocation run, Nem restores as before, Mégse stays on the page.
TEST_F(RestoreTest, IgenMovesTheContentBackThroughTheRunAndAFolderAtItsDefaultIsAlreadyThere) {
    fake.messageBoxAnswer = platform::kIdYes;
    Restore({videos, documents});
    const auto asked = Shell("ShowMessageBox");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].flags, platform::kMbYesNoCancel | platform::kMbIconQuestion);
    EXPECT_NE(asked[0].text.find("tartalma is kerüljön vissza"), std::string::npos) << asked[0].text;
    const auto redirects = Shell("Redirect");
    ASSERT_EQ(redirects.size(), 1u);  // Personal is at its default: nothing to move
    EXPECT_EQ(redirects[0].id, videos->id);
    EXPECT_EQ(redirects[0].flags, platform::kRedirectMoveFlags);  // 0x602
    EXPECT_EQ(redirects[0].text, "C:\\Users\\al\\Videos");
    EXPECT_TRUE(Shell("SetPath").empty());
    EXPECT_EQ(videos->path, "C:\\Users\\al\\Videos");
    EXPECT_TRUE(RowOf(*videos)->cbredirected->isChecked());
    EXPECT_TRUE(RowOf(*videos)->cbcopied->isHidden());  // the restored page shows one box
    EXPECT_EQ(RowOf(*videos)->parentWidget(), window->restoredPage);
    EXPECT_FALSE(RowOf(*music)->active);
    EXPECT_EQ(window->lcheckedcount->text(), "2");
    window->bexitClick();
    EXPECT_EQ(Shell("SignOut").size(), 1u);
}

TEST_F(RestoreTest, NemRestoresThePathOnlyAndMegseStaysOnThePage) {
    fake.messageBoxAnswer = platform::kIdNo;
    Restore({videos});
    EXPECT_TRUE(Shell("Redirect").empty());
    EXPECT_EQ(Shell("SetPath").size(), 1u);

    window.reset();
    fake.calls.clear();
    fake.messageBoxAnswer = platform::kIdCancel;
    Build();
    window->show();
    window->ShowPage(window->restorePage);
    RowOf(*pictures)->cbmove->setChecked(true);
    window->bnextClick();
    EXPECT_EQ(window->ShownPage(), window->restorePage);
    EXPECT_TRUE(RowOf(*pictures)->cbmove->isChecked());
    EXPECT_TRUE(Shell("Redirect").empty());
    EXPECT_TRUE(Shell("SetPath").empty());
}

TEST_F(RestoreTest, MegseInTheWaitWindowRollsTheRestoreBackAndSkipsTheRest) {
    fake.messageBoxAnswer = platform::kIdYes;
    pictures->path = "E:\\Users\\al\\Pictures";
    videos->redirectReportsProgress = true;
    videos->redirectWaitsForCancel = true;
    bool offered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window == nullptr || window->waitWindow->bcancel->isHidden()) return;
        offered = true;
        poll.stop();
        QTest::mouseClick(window->waitWindow->bcancel, Qt::LeftButton);
    });
    poll.start(5);
    Restore({videos, pictures});
    EXPECT_TRUE(offered);
    // In the list's order My Pictures comes before My Video: it was restored; the run stopped at My Video.
    EXPECT_EQ(pictures->path, "C:\\Users\\al\\Pictures");
    EXPECT_EQ(videos->path, "D:\\Elsewhere\\Videos");
    EXPECT_FALSE(RowOf(*videos)->cbredirected->isChecked());
    EXPECT_EQ(window->lcheckedcount->text(), "1");
}

TEST_F(RestoreTest, ARowsTooltipNamesItsLastMoveFromTheRecord) {
    platform::RelocationRecord moved;
    moved.time = "2026-12-01T10:05:00Z";
    moved.key = "";
    moved.name = "My Video";
    moved.operation = "move";
    moved.from = "C:\\Users\\al\\Videos";
    moved.to = "D:\\Elsewhere\\Videos";
    moved.outcome = "done";
    moved.code = "ok";
    platform::RelocationRecord failed = moved;
    failed.time = "2026-12-02T10:05:00Z";
    failed.outcome = "failed";
    fake.history = {moved, failed};
    Build();
    EXPECT_EQ(RowOf(*videos)->toolTip().toStdString(),
              "Utoljára áthelyezve: 2026-12-01 10:05 (UTC), C:\\Users\\al\\Videos → D:\\Elsewhere\\Videos");
    EXPECT_TRUE(RowOf(*pictures)->toolTip().isEmpty());
}

}  // namespace
}  // namespace trovel::testing
