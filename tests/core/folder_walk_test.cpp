#include "core/space/folder_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <set>
#include <thread>

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
    const catalogue::TextList exar{"c:\\users\\AL\\documents\\MY MUSIC\\"};
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
    // The size is a lower bound, and the walk says which folder it could not read.
    EXPECT_EQ(counters.unreadable, 1u);
    EXPECT_EQ(counters.unreadablePaths, (std::vector<std::string>{"C:\\Users\\al\\Locked"}));
    EXPECT_EQ(WalkCounters{}.unreadable, 0u);
}

TEST_F(FolderWalkTest, UnreadableFoldersAreNamedByTheirWholePathAtAnyDepthWithOrWithoutExclusions) {
    fake.files["C:\\Users\\al\\Documents\\My Music\\Live\\Locked"] = FakeFile{kDir, 0, false};
    WalkCounters plain;
    GetFileObjectSize(fake, "C:\\Users\\al", plain);
    EXPECT_EQ(plain.unreadablePaths, (std::vector<std::string>{"C:\\Users\\al\\Documents\\My Music\\Live\\Locked"}));
    WalkCounters excluding;
    GetFileObjectSizeEX(fake, "C:\\Users\\al", {"C:\\Users\\al\\Árvíz\\"}, excluding);
    EXPECT_EQ(excluding.unreadablePaths, plain.unreadablePaths);
    // A folder that is there and cannot be listed at all has no size to give.
    fake.files["C:\\Closed"] = FakeFile{kDir, 0, false};
    WalkCounters closed;
    EXPECT_EQ(GetFileObjectSize(fake, "C:\\Closed", closed), 0);
    EXPECT_EQ(closed.unreadable, 1u);
}

TEST_F(FolderWalkTest, ADeepChainAndAWideFolderStayExactWithFewHandles) {
    // Fewer handles than the chain is deep: a walk that kept one per level would lose levels.
    fake.handleLimit = 80;
    std::string deep = "C:\\Users\\al\\Documents";
    for (int level = 0; level < 300; ++level) {
        deep += "\\d";
        Dir(deep);
        File(deep + "\\f", 1);
    }
    for (int i = 0; i < 1000; ++i) Dir("C:\\Users\\al\\Árvíz\\w" + std::to_string(i));
    for (const int walkers : {1, 2, 16}) {
        fake.parallelReads = walkers;
        for (int round = 0; round < 3; ++round) {
            WalkCounters all;
            EXPECT_EQ(GetFileObjectSize(fake, "C:\\Users\\al", all), 13113 + 300) << walkers << " " << round;
            EXPECT_EQ(all.folders, 4u + 300u + 1000u) << walkers << " " << round;
            EXPECT_EQ(all.files, 6u + 300u) << walkers << " " << round;
        }
    }
    EXPECT_LE(fake.mostOpenHandles.load(), 80);
}

TEST_F(FolderWalkTest, MoreWalkersShareTheSameHandlesWithoutRunningOutOfThem) {
    // Deep chains with a side folder at every level, for every walker to be deep at once;
    // coming back up, a walker opens closed levels again, and must not hold them all.
    for (int chain = 0; chain < 16; ++chain) {
        std::string deep = "C:\\Users\\al\\Documents\\c" + std::to_string(chain);
        Dir(deep);
        for (int level = 0; level < 80; ++level) {
            deep += "\\d";
            Dir(deep);
            Dir(deep + "\\side");
            File(deep + "\\side\\f", 1);
        }
    }
    for (const int walkers : {1, 2, 8, 16}) {
        fake.parallelReads = walkers;
        fake.mostOpenHandles = 0;
        WalkCounters all;
        EXPECT_EQ(GetFileObjectSize(fake, "C:\\Users\\al", all), 13113 + 16 * 80) << walkers;
        EXPECT_EQ(all.folders, 4u + 16u * (1u + 160u)) << walkers;
        // Sixty-four in all, and each walker's next folder opened before it gives one back.
        EXPECT_LE(fake.mostOpenHandles.load(), 64 + walkers) << walkers;
    }
}

// A tree broad enough for every walker to get sub-trees, with what a walk must count
// exactly once: unreadable folders, excluded folders, dot-folders and mount points.
class ManyWalkersTest : public FolderWalkTest {
protected:
    ManyWalkersTest() {
        fake.style = platform::PathStyle::Posix;
        fake.files.clear();
        Dir("/h");
        for (int top = 0; top < 24; ++top) {
            std::string path = "/h/t" + std::to_string(top);
            for (int depth = 0; depth < 5; ++depth) {
                Dir(path);
                for (int n = 0; n < 3; ++n) File(path + "/f" + std::to_string(n), top * 1000 + depth * 10 + n);
                Dir(path + "/.git");
                File(path + "/.git/pack", 1 << 20);
                path += "/d" + std::to_string(depth);
            }
        }
        fake.files["/h/t4/d0/locked"] = FakeFile{kDir, 0, false};
        fake.files["/h/t9/locked"] = FakeFile{kDir, 0, false};
        fake.mountPoints = {"/h/t7/d0/"};
    }
    const catalogue::TextList excluded{"/h/t2/d0/", "/h/t11/"};
};

TEST_F(ManyWalkersTest, EveryNumberOfWalkersCountsWhatOneWalkerCounts) {
    fake.parallelReads = 1;
    WalkCounters one;
    const std::int64_t oneTotal = GetFileObjectSizeEX(fake, "/h", excluded, one);
    EXPECT_EQ(one.unreadable, 2u);
    ASSERT_GT(one.files, 300u);
    std::sort(one.unreadablePaths.begin(), one.unreadablePaths.end());
    for (const int walkers : {2, 8, 16}) {
        fake.parallelReads = walkers;
        for (int round = 0; round < 10; ++round) {
            WalkCounters many;
            ASSERT_EQ(GetFileObjectSizeEX(fake, "/h", excluded, many), oneTotal) << walkers << " " << round;
            ASSERT_EQ(many.files, one.files) << walkers;
            ASSERT_EQ(many.folders, one.folders) << walkers;
            ASSERT_EQ(many.unreadable, one.unreadable) << walkers;
            std::sort(many.unreadablePaths.begin(), many.unreadablePaths.end());
            ASSERT_EQ(many.unreadablePaths, one.unreadablePaths) << walkers;
        }
    }
}

TEST_F(ManyWalkersTest, TheWalkRunsAsManyWalkersAsTheDeviceTakes) {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    fake.onOpenDirectory = [&](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // a folder that takes the disk a while
        std::lock_guard lock(mutex);
        threads.insert(std::this_thread::get_id());
    };
    const auto threadsFor = [&](int reads) {
        fake.parallelReads = reads;
        threads.clear();
        WalkCounters counted;
        GetFileObjectSize(fake, "/h", counted);
        return threads.size();
    };
    EXPECT_EQ(threadsFor(1), 1u);  // a spinning disk: the caller's thread alone
    EXPECT_EQ(threadsFor(0), 1u);  // nonsense from the system still walks
    EXPECT_GT(threadsFor(8), 2u);
    EXPECT_LE(threadsFor(1000), 16u);
}

TEST_F(FolderWalkTest, ExclusionsOnPosixPathsCompareExactly) {
    fake.style = platform::PathStyle::Posix;
    fake.files.clear();
    Dir("/P");
    Dir("/P/videos");
    File("/P/videos/clip", 5);
    Dir("/P/Videos");
    File("/P/Videos/film", 1000000);
    EXPECT_EQ(GetFileObjectSizeEX(fake, "/P", {"/P/Videos/"}, counters), 5);
    EXPECT_EQ(counters.folders, 1u);
}

TEST_F(FolderWalkTest, MountPointsInsideTheFolderAreCountedButNotEntered) {
    fake.style = platform::PathStyle::Posix;
    fake.files.clear();
    Dir("/home/al/Music");
    File("/home/al/Music/a", 10);
    Dir("/home/al/Music/share");
    File("/home/al/Music/share/remote", 1 << 30);
    fake.mountPoints = {"/home/al/Music/share/"};
    EXPECT_EQ(GetFileObjectSize(fake, "/home/al/Music", counters), 10);
    EXPECT_EQ(counters.folders, 1u);
    EXPECT_EQ(counters.files, 1u);
}

TEST_F(FolderWalkTest, SizesAddUpToTheLargestCountInsteadOfWrappingRound) {
    File("C:\\Users\\al\\sparse", INT64_MAX - 5);  // truncate -s 8E
    const std::int64_t total = GetFileObjectSize(fake, "C:\\Users\\al", counters);
    EXPECT_EQ(total, INT64_MAX);
}

TEST_F(FolderWalkTest, AFailingWalkerEndsTheWalkWithItsError) {
    fake.onOpenDirectory = [](const std::string& path) {
        if (path.find("Live") != std::string::npos) throw std::bad_alloc();
    };
    EXPECT_THROW(GetFileObjectSize(fake, "C:\\Users\\al", counters), std::bad_alloc);
}

}  // namespace
}  // namespace trovel::space
