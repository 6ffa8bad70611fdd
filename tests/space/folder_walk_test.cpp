#include "space/folder_walk.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace trovel::space {
namespace {

using platform::fake::FakeFile;
using platform::fake::FakePlatform;

constexpr std::uint32_t kDir = platform::kAttributeDirectory;
constexpr std::uint32_t kHiddenSystem = platform::kAttributeHidden | platform::kAttributeSystem;

class FolderWalkTest : public ::testing::Test {
protected:
    FolderWalkTest() {
        Dir("C:\\Users\\al");
        File("C:\\Users\\al\\ntuser.dat", 1000, kHiddenSystem);
        File("C:\\Users\\al\\.profile", 10);
        Dir("C:\\Users\\al\\.cache");
        File("C:\\Users\\al\\.cache\\big", 1 << 20);
        Dir("C:\\Users\\al\\Documents");
        File("C:\\Users\\al\\Documents\\a.txt", 100);
        Dir("C:\\Users\\al\\Documents\\My Music");
        File("C:\\Users\\al\\Documents\\My Music\\song.mp3", 5000);
        Dir("C:\\Users\\al\\Documents\\My Music\\Live");
        File("C:\\Users\\al\\Documents\\My Music\\Live\\x.mp3", 7000);
        Dir("C:\\Users\\al\\Árvíz");
        File("C:\\Users\\al\\Árvíz\\f", 3);
    }
    void Dir(const std::string& path) { fake.files[path] = FakeFile{kDir, 0}; }
    void File(const std::string& path, std::int64_t size, std::uint32_t attributes = platform::kAttributeNormal) {
        fake.files[path] = FakeFile{attributes, size};
    }

    FakePlatform fake;
    WalkCounters counters;
};

TEST_F(FolderWalkTest, CountsEveryFileButSkipsDotDirectories) {
    EXPECT_EQ(GetFileObjectSize(fake, "C:\\Users\\al", counters), 1000 + 10 + 100 + 5000 + 7000 + 3);
    EXPECT_EQ(counters.folders, 4u);  // Documents, My Music, Live, Árvíz; not .cache
    EXPECT_EQ(counters.files, 6u);
}

TEST_F(FolderWalkTest, LeavesOutExcludedFoldersIgnoringOnlyAsciiCase) {
    const catalogue::TSA exar{"c:\\users\\AL\\documents\\MY MUSIC\\"};
    EXPECT_EQ(GetFileObjectSizeEX(fake, "C:\\Users\\al\\", exar, counters), 1000 + 10 + 100 + 3);
    EXPECT_EQ(counters.folders, 2u);
    EXPECT_EQ(counters.files, 4u);
    EXPECT_EQ(exar.size(), 1u);  // the caller's list is left as it was

    WalkCounters again;
    EXPECT_EQ(GetFileObjectSizeEX(fake, "C:\\Users\\al", {"C:\\Users\\al\\árvíz\\"}, again), 13113);
    EXPECT_EQ(again.folders, 4u);  // á and Á differ: not left out
    WalkCounters exact;
    EXPECT_EQ(GetFileObjectSizeEX(fake, "C:\\Users\\al", {"C:\\Users\\al\\Árvíz\\"}, exact), 13110);
    // Without the trailing separator the entry never matches.
    WalkCounters unmatched;
    EXPECT_EQ(GetFileObjectSizeEX(fake, "C:\\Users\\al", {"C:\\Users\\al\\Árvíz"}, unmatched), 13113);
}

TEST_F(FolderWalkTest, AFileOrAMissingPathAsBasedir) {
    EXPECT_EQ(GetFileObjectSize(fake, "C:\\Users\\al\\Documents\\a.txt", counters), 100);
    EXPECT_EQ(counters.files, 1u);
    EXPECT_EQ(counters.folders, 0u);
    WalkCounters none;
    EXPECT_EQ(GetFileObjectSize(fake, "C:\\nowhere", none), 0);
    EXPECT_EQ(none.files + none.folders, 0u);
}

TEST_F(FolderWalkTest, AnUnlistableSubFolderCountsOnceWithNothingInIt) {
    fake.files["C:\\Users\\al\\Locked"] = FakeFile{kDir, 0, false};
    File("C:\\Users\\al\\Locked\\secret", 999);
    EXPECT_EQ(GetFileObjectSize(fake, "C:\\Users\\al", counters), 13113);
    EXPECT_EQ(counters.folders, 5u);
    EXPECT_EQ(counters.files, 6u);
}

}  // namespace
}  // namespace trovel::space
