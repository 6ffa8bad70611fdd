#include "platform/fake/fake_platform.h"

#include <gtest/gtest.h>

namespace trovel::platform::fake {
namespace {

TEST(FakePlatform, ScriptsTheKnownFolderRegistryAndRecordsCalls) {
    FakePlatform fake;
    FakeFolder& music = fake.AddFolder("My Music", "C:\\Users\\a\\Music", "C:\\Users\\a\\Music");
    fake.AddFolder("Fonts", "");
    music.setPathResult = kAccessDenied;

    std::unique_ptr<KnownFolderManager> manager;
    ASSERT_EQ(fake.CreateKnownFolderManager(manager), kOk);
    std::vector<KnownFolderId> ids;
    ASSERT_EQ(manager->GetFolderIds(ids), kOk);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], ids[1]);

    std::unique_ptr<KnownFolder> folder;
    ASSERT_EQ(manager->GetFolder(ids[0], folder), kOk);
    std::string path;
    EXPECT_EQ(folder->GetPath(kCurrentPathFlags, path), kOk);
    EXPECT_EQ(path, "C:\\Users\\a\\Music");
    EXPECT_EQ(folder->SetPath(KF_FLAG_DONT_UNEXPAND, "E:\\Users\\a\\Music"), kAccessDenied);
    EXPECT_EQ(fake.folders[0].path, "C:\\Users\\a\\Music");

    std::string error;
    EXPECT_EQ(manager->Redirect(ids[0], kRedirectMoveFlags, "E:\\Users\\a\\Music", {ids[1]}, error), kOk);
    EXPECT_EQ(fake.folders[0].path, "E:\\Users\\a\\Music");
    const auto redirects = fake.CallsOf("Redirect");
    ASSERT_EQ(redirects.size(), 1u);
    EXPECT_EQ(redirects[0].flags, 0x602u);
    EXPECT_EQ(redirects[0].exclusions, std::vector<KnownFolderId>{ids[1]});

    ASSERT_EQ(manager->GetFolder(ids[1], folder), kOk);
    EXPECT_NE(folder->GetPath(kCurrentPathFlags, path), kOk);
    EXPECT_EQ(path, "");
}

TEST(FakePlatform, ListsDirectoriesAndExpandsVariables) {
    FakePlatform fake;
    fake.files["C:\\d"] = {kAttributeDirectory, 0};
    fake.files["C:\\d\\a.txt"] = {kAttributeNormal, 5};
    fake.files["C:\\d\\sub"] = {kAttributeDirectory, 0};
    fake.files["C:\\d\\sub\\deep.txt"] = {kAttributeNormal, 7};
    std::vector<DirectoryEntry> entries;
    ASSERT_TRUE(fake.ListDirectory("C:\\d\\", entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a.txt");
    EXPECT_EQ(entries[1].name, "sub");
    EXPECT_FALSE(fake.ListDirectory("C:\\d\\a.txt", entries));
    EXPECT_EQ(fake.FileAttributes("C:\\nothing"), kInvalidAttributes);

    fake.environment["A"] = "x";
    std::string out;
    ASSERT_TRUE(fake.ExpandEnvironment("%A%\\%B%\\50%", out));
    EXPECT_EQ(out, "x\\%B%\\50%");
}

}  // namespace
}  // namespace trovel::platform::fake
