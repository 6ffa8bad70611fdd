// The whole move path with the keyboard alone: Tab to reach each control, Space and Enter to
// use it, Alt and a letter for the buttons. Nothing here clicks or calls a handler.
#include <QApplication>
#include <QTest>

#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "gui/widgets/row_widgets.h"
#include "test_language.h"

namespace trovel::testing {
namespace {

class KeyboardTest : public CatalogueTest {
protected:
    void SetUp() override {
        AddSystemFolderAndDrives();
        FakeFolder& documents = Add("Personal", "C:\\Users\\al\\Documents");
        documents.defaultPath = documents.path;
        fake.files["C:\\Users\\al\\Documents"] = {platform::kAttributeDirectory, 0, true};
        fake.files["C:\\Users\\al\\Documents\\a.txt"] = {platform::kAttributeNormal, 2048, true};
        Add("My Music", "C:\\Users\\al\\Music").defaultPath = "C:\\Users\\al\\Music";
        Build();
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    QWidget* Focused() const { return QApplication::focusWidget(); }

    // Presses Tab until `target` has the focus; false when a whole round does not reach it.
    bool TabTo(QWidget* target) {
        for (int presses = 0; presses < 200; ++presses) {
            if (Focused() == target) return true;
            QTest::keyClick(Focused() != nullptr ? Focused() : window.get(), Qt::Key_Tab);
        }
        return Focused() == target;
    }
    // One key, after the window has handled what came before, as a user's next key does.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QCoreApplication::processEvents();
        QTest::keyClick(Focused() != nullptr ? Focused() : window.get(), key, modifiers);
    }
    FolderRow* Named(const std::string& name) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderDefinition.name == name) return row;
        return nullptr;
    }
};

TEST_F(KeyboardTest, TheWholeMovePathNeedsNoMouse) {
    ASSERT_TRUE(TabTo(window->bmainmove));
    Press(Qt::Key_Space);
    ASSERT_EQ(window->ShownPage(), window->redirectPage);
    EXPECT_FALSE(window->bnext->isEnabled());

    // Space on a row's box counts as a click: the counter, the highlight and Next follow.
    FolderRow* documents = Named("Personal");
    ASSERT_TRUE(TabTo(documents->cbmove));
    Press(Qt::Key_Space);
    EXPECT_TRUE(documents->cbmove->isChecked());
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_TRUE(documents->selected());
    EXPECT_TRUE(window->bnext->isEnabled());

    // The links take the focus and act on Enter.
    ASSERT_TRUE(TabTo(window->lredirectgetsize));
    Press(Qt::Key_Return);
    EXPECT_TRUE(folders().FkfSizegot);
    EXPECT_TRUE(documents->SizeGot);

    Press(Qt::Key_T, Qt::AltModifier);
    ASSERT_EQ(window->ShownPage(), window->copyPage);
    Press(Qt::Key_T, Qt::AltModifier);
    ASSERT_EQ(window->ShownPage(), window->deletePage);
    ASSERT_TRUE(TabTo(documents->cbdelete));
    Press(Qt::Key_Space);
    EXPECT_TRUE(documents->cbdelete->isChecked());
    Press(Qt::Key_T, Qt::AltModifier);
    ASSERT_EQ(window->ShownPage(), window->drivesPage);
    EXPECT_FALSE(window->bnext->isEnabled());

    space::DriveRow* data = nullptr;
    for (space::DriveRow* row : window->drives().vObjarr)
        if (row->vDrive == "E:\\") data = row;
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(TabTo(data->cbusethis));
    Press(Qt::Key_Space);
    EXPECT_TRUE(window->bnext->isEnabled());
    Press(Qt::Key_T, Qt::AltModifier);
    ASSERT_EQ(window->ShownPage(), window->statusPage);

    const auto redirects = fake.CallsOf("Redirect");
    ASSERT_EQ(redirects.size(), 1u);
    EXPECT_EQ(redirects[0].flags, 0x602u);  // copied, the old content deleted
    EXPECT_EQ(redirects[0].text, "E:\\Users\\al\\Documents");
    EXPECT_TRUE(documents->cbredirected->isChecked());
}

TEST_F(KeyboardTest, AltLettersPressOnlyButtonsThatAreThereAndLeaveTheCaptionsUnmarked) {
    Press(Qt::Key_T, Qt::AltModifier);  // Next is hidden on the welcome page
    EXPECT_EQ(window->ShownPage(), window->welcomePage);
    window->ShowPage(window->overviewPage);
    Press(Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(window->ShownPage(), window->welcomePage);
    EXPECT_EQ(window->bnext->text(), "Tovább  >");
    EXPECT_EQ(window->bprevious->text(), "<  Vissza");
}

// In English the letters are the English captions' first: Alt+B goes back, Alt+N goes on.
TEST(KeyboardInEnglish, AltLettersFollowTheCaptionsLanguage) {
    testing_support::SpeakForTests("C");
    platform::fake::FakePlatform fake;
    FakeFolder& documents = fake.AddFolder("Personal", "C:\\Users\\al\\Documents");
    documents.category = 4;
    documents.capability = 1;
    {
        app::MainWindow window(fake);
        window.show();
        QApplication::setActiveWindow(&window);
        window.ShowPage(window.overviewPage);
        EXPECT_EQ(window.bprevious->text(), "<  Back");
        EXPECT_EQ(window.bprevious->accessibleDescription(), "Shortcut: Alt+B");
        QTest::keyClick(&window, Qt::Key_V, Qt::AltModifier);  // the Hungarian letter does nothing
        QCoreApplication::processEvents();
        EXPECT_EQ(window.ShownPage(), window.overviewPage);
        QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.ShownPage(), window.welcomePage);
    }
    testing_support::SpeakForTests();
}

TEST_F(KeyboardTest, EveryLinkOfThePaneShownIsInTheTabOrderAndSpaceUsesIt) {
    window->ShowPage(window->redirectPage);
    for (widgets::ClickLabel* link : {window->lredirectall, window->lredirectunall, window->lredirectgetsize})
        EXPECT_TRUE(TabTo(link)) << link->objectName().toStdString();
    ASSERT_TRUE(TabTo(window->lredirectall));
    Press(Qt::Key_Space);
    EXPECT_EQ(window->lcheckedcount->text(), "2");
    EXPECT_TRUE(window->bnext->isEnabled());
    const auto web = window->redirectPane->findChild<widgets::ClickLabel*>(QStringLiteral("Label27"));
    ASSERT_TRUE(TabTo(web));
    Press(Qt::Key_Enter);
    EXPECT_EQ(fake.CallsOf("ShellOpen").size(), 1u);
}

}  // namespace
}  // namespace trovel::testing
