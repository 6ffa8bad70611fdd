#include <QCursor>

#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

using platform::kCurrentPathFlags;

TEST_F(CatalogueTest, BuildsOneNamedRowPerFolderInRegistryOrderThenSortsByName) {
    Add("Zeta", "C:\\z");
    Add("alpha", "C:\\a");
    Add("Mid", "C:\\m");
    Build();

    ASSERT_EQ(folders().framearr.size(), 3u);
    EXPECT_EQ(folders().Fkffullcount, 3u);
    EXPECT_EQ(folders().Fkflistcount, 3u);
    EXPECT_EQ(Row(0)->lfoldername->text(), "Zeta");
    EXPECT_EQ(Row(1)->lfoldername->text(), "alpha");
    EXPECT_EQ(Row(2)->lfoldername->text(), "Mid");
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(Row(n)->ID, n);
        EXPECT_EQ(Row(n)->FolderID, fake.folders[static_cast<std::size_t>(n)].id);
        EXPECT_EQ(Row(n)->pos(), QPoint(3, 108 * n + 3));
        EXPECT_FALSE(Row(n)->SizeGot);
        EXPECT_FALSE(Row(n)->active);
        EXPECT_FALSE(Row(n)->IsAttached());
    }
    EXPECT_EQ(Order(), (std::vector<std::string>{"alpha", "Mid", "Zeta"}));
    EXPECT_EQ(folders().vSortCriteria, 0);
}

TEST_F(CatalogueTest, CopiesTheRecordAndAppendsMyDocumentsToPersonalOnly) {
    FakeFolder& documents = Add("Personal", "C:\\Users\\al\\Documents", platform::KF_CATEGORY_PERUSER, 1);
    documents.folderType = platform::GuidLiteral("{7D49D726-3C21-4F05-99AA-FDC2C9474656}");
    documents.definition.relativePath = "Documents";
    Add("personal", "C:\\p");
    Add("Personal ", "C:\\q");
    Build();

    EXPECT_EQ(Row(0)->lfoldername->text(), "Personal (My Documents)");
    EXPECT_EQ(Row(1)->lfoldername->text(), "personal");
    EXPECT_EQ(Row(2)->lfoldername->text(), "Personal ");
    EXPECT_EQ(Row(0)->FolderDefinition.name, "Personal");
    EXPECT_EQ(Row(0)->FolderDefinition.relativePath, "Documents");
    EXPECT_EQ(Row(0)->FolderCategory, 4u);
    EXPECT_EQ(Row(0)->FolderRedirectionCapability, 1u);
    EXPECT_EQ(Row(0)->FolderTypeID, documents.folderType);
    // Category, capability and type are asked in this order, after the definition.
    std::vector<std::string> asked;
    for (const auto& call : fake.calls)
        if (call.id == documents.id && call.operation != "GetFolder") asked.push_back(call.operation);
    ASSERT_GE(asked.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(asked.begin(), asked.begin() + 5),
              (std::vector<std::string>{"GetFolderDefinition", "GetCategory", "GetRedirectionCapabilities",
                                        "GetFolderType", "GetPath"}));
}

TEST_F(CatalogueTest, ShowsThePathWithHintCursorAndIcon) {
    Add("Music", "C:\\Users\\al\\Music");
    Add("Virtual", "");
    Add("Short", "D:");
    Build();

    FolderRow* music = Row(0);
    EXPECT_EQ(music->Path, "C:\\Users\\al\\Music");
    EXPECT_EQ(music->lfolderpath->text(), "C:\\Users\\al\\Music");
    EXPECT_EQ(music->lfolderpath->toolTip(), "C:\\Users\\al\\Music");
    EXPECT_EQ(music->lfolderpath->cursor().shape(), Qt::PointingHandCursor);
    ASSERT_FALSE(music->icon->pixmap().isNull());
    EXPECT_EQ(music->icon->size(), QSize(48, 48));

    FolderRow* virtualFolder = Row(1);
    EXPECT_EQ(virtualFolder->Path, "");
    EXPECT_EQ(virtualFolder->lfolderpath->text(), "");
    EXPECT_EQ(virtualFolder->lfolderpath->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Row(2)->lfolderpath->cursor().shape(), Qt::ArrowCursor);

    // The current path is asked with flags 0, and the icon of the shown path.
    for (const auto& call : fake.CallsOf("GetPath")) EXPECT_EQ(call.flags, kCurrentPathFlags);
    const auto icons = fake.CallsOf("ShellIconOf");
    ASSERT_EQ(icons.size(), 3u);
    EXPECT_EQ(icons[0].text, "C:\\Users\\al\\Music");
}

TEST_F(CatalogueTest, ResolvesDescriptionsFromTooltips) {
    fake.environment["SystemRoot"] = "C:\\Windows";
    fake.strings[{"C:\\Windows\\system32\\shell32.dll", 21770}] = "A dokumentumok mappája";
    fake.strings[{"shell32.dll", 8}] = "Nyolcas szöveg";
    Add("Personal", "C:\\d").definition.tooltip = "@%SystemRoot%\\system32\\shell32.dll,-21770";
    Add("Eight", "C:\\e").definition.tooltip = "@shell32,dll,-8";
    Add("Ten", "C:\\t").definition.tooltip = "@a.dll,-12";
    Build();

    EXPECT_EQ(Row(0)->ldescription->text(), "A dokumentumok mappája");
    EXPECT_EQ(Row(1)->ldescription->text(), "Nyolcas szöveg");
    EXPECT_EQ(Row(2)->ldescription->text(), "");
}

TEST_F(CatalogueTest, RecordsTheSystemDriveFromTheWindowsFolder) {
    FakeFolder& windows = Add("Windows", "E:\\Windows", platform::KF_CATEGORY_FIXED, 0);
    windows.id = platform::FOLDERID_Windows;
    Build();
    EXPECT_EQ(window->shared().systemDrive, "E:");
}

TEST_F(CatalogueTest, EmptyOrUnavailableRegistryGivesNoRows) {
    Build();
    EXPECT_TRUE(folders().framearr.empty());
    EXPECT_EQ(folders().Fkflistcount, 0u);
    EXPECT_EQ(window->shared().systemDrive, "");

    FakePlatform broken;
    broken.AddFolder("Personal", "C:\\d");
    broken.createManagerResult = platform::kFail;
    app::MainWindow brokenWindow(broken);
    EXPECT_TRUE(brokenWindow.folders().framearr.empty());
}

TEST_F(CatalogueTest, AFolderTheRegistryWillNotOpenIsListedByItsIdAndNeverQueried) {
    Add("Good", "C:\\g");
    FakeFolder& bad = Add("Bad", "C:\\b");
    bad.getFolderResult = platform::kAccessDenied;
    Add("Undefined", "C:\\u").definitionResult = platform::kFail;
    Build();

    ASSERT_EQ(folders().framearr.size(), 3u);
    EXPECT_EQ(Row(1)->lfoldername->text().toStdString(), bad.id.ToString());
    EXPECT_EQ(Row(1)->Path, "");
    EXPECT_EQ(Row(1)->FolderRedirectionCapability, 0u);  // never offered for relocation
    for (const auto& call : fake.calls) {
        if (call.id == bad.id) {
            EXPECT_EQ(call.operation, "GetFolder");
        }
    }
    // A folder whose definition fails still gets its other fields.
    EXPECT_EQ(Row(2)->lfoldername->text(), "");
    EXPECT_EQ(Row(2)->Path, "C:\\u");
}

}  // namespace
}  // namespace trovel::testing
