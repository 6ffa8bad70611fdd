#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

class ExclusionListTest : public CatalogueTest {
protected:
    FolderRow* Named(const std::string& name) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderDefinition.name == name) return row;
        return nullptr;
    }
};

TEST_F(ExclusionListTest, RecordsNestedFoldersAtEveryDepthInCatalogueOrder) {
    FakeFolder& profile = Add("Profile", "C:\\Users\\user");
    FakeFolder& documents = Add("Personal", "C:\\Users\\user\\Documents");
    FakeFolder& music = Add("My Music", "C:\\Users\\user\\Documents\\My Music");
    Add("Public", "C:\\Users\\Public");
    Add("Other", "C:\\Users\\us");
    Add("Lower", "c:\\users\\user\\Music");
    Build();

    FolderRow* top = Named("Profile");
    EXPECT_EQ(top->FolderExcludeList, (catalogue::FolderIdList{documents.id, music.id}));
    EXPECT_EQ(top->FolderExcludePath,
              (catalogue::TextList{"C:\\Users\\user\\Documents\\", "C:\\Users\\user\\Documents\\My Music\\"}));
    EXPECT_EQ(top->SubKFArray, (catalogue::TextLists{{"Documents"}, {"Documents", "My Music"}}));
    EXPECT_EQ(top->SKFACount, (catalogue::IntList{0, 1}));
    EXPECT_EQ(Named("Personal")->FolderExcludeList, (catalogue::FolderIdList{music.id}));
    EXPECT_TRUE(Named("My Music")->FolderExcludeList.empty());
    EXPECT_TRUE(Named("Other")->FolderExcludeList.empty());   // C:\Users\us holds nothing
    EXPECT_TRUE(Named("Lower")->FolderExcludeList.empty());
    EXPECT_EQ(profile.id, top->FolderID);
}

TEST_F(ExclusionListTest, ADriveRootFolderIsShortenedAndHoldsEverythingOnIt) {
    Add("Root", "D:\\");
    FakeFolder& music = Add("Music", "D:\\Music");
    Add("Same", "D:\\Music");
    Build();
    EXPECT_EQ(Named("Root")->Path, "D:");
    EXPECT_EQ(Named("Root")->FolderExcludePath.size(), 2u);
    EXPECT_EQ(Named("Root")->FolderExcludeList.front(), music.id);
    // Equal paths are not nested in each other.
    EXPECT_TRUE(Named("Music")->FolderExcludeList.empty());
    EXPECT_TRUE(Named("Same")->FolderExcludeList.empty());
}

TEST_F(ExclusionListTest, PosixPathsNestTheSameWay) {
    fake.style = platform::PathStyle::Posix;
    Add("Profile", "/home/al/");
    FakeFolder& music = Add("My Music", "/home/al/Zene");
    Add("Sibling", "/home/alice/Music");
    Build();
    EXPECT_EQ(Named("Profile")->Path, "/home/al");
    EXPECT_EQ(Named("Profile")->FolderExcludeList, (catalogue::FolderIdList{music.id}));
    EXPECT_EQ(Named("Profile")->FolderExcludePath, (catalogue::TextList{"/home/al/Zene/"}));
}

TEST_F(ExclusionListTest, DestinationComesFromTheDefaultPath) {
    FakeFolder& documents = fake.AddFolder("Personal", "F:\\Docs", "C:\\Users\\user\\Documents");
    Build();
    EXPECT_EQ(folders().MakeDestPath("E:\\", documents.id), "E:\\Users\\user\\Documents");
    EXPECT_EQ(fake.CallsOf("GetPath").back().flags, 0x4600u);
    EXPECT_EQ(folders().MakeDestPath("win", documents.id), "C:\\Users\\user\\Documents");
    EXPECT_EQ(fake.CallsOf("GetPath").back().flags, 0xC600u);
    // Only the lower-case literal means the default place.
    EXPECT_EQ(folders().MakeDestPath("WIN", documents.id), "WINUsers\\user\\Documents");
}

TEST_F(ExclusionListTest, AFolderThatCannotBeHadGetsNoDestination) {
    FakeFolder& locked = fake.AddFolder("Locked", "C:\\Locked");
    FakeFolder& rootless = fake.AddFolder("Rootless", "");
    Build();
    locked.getFolderResult = platform::kAccessDenied;
    const auto before = fake.calls.size();
    EXPECT_EQ(folders().MakeDestPath("E:\\", locked.id), "");
    for (std::size_t i = before; i < fake.calls.size(); ++i) EXPECT_EQ(fake.calls[i].operation, "GetFolder");
    EXPECT_EQ(folders().MakeDestPath("E:\\", rootless.id), "");  // never the bare root E:\ .
    EXPECT_EQ(folders().MakeDestPath("win", rootless.id), "");
}

}  // namespace
}  // namespace trovel::testing
