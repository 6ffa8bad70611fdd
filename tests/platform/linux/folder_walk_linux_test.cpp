// The size walk on a real tree through the descriptor-relative directory reader.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/linux/linux_platform.h"
#include "core/space/folder_walk.h"
#include "as_nobody.h"
#include "temp_dir.h"

namespace trovel::platform::linux_desktop {
namespace {

using space::WalkCounters;

class LinuxWalkTest : public ::testing::Test {
protected:
    LinuxWalkTest() {
        tree.Write("a.txt", std::string(100, 'a'));
        tree.Write(".hidden", std::string(7, 'h'));
        tree.Write(".cache/skipped", std::string(5000, 'c'));
        tree.Write("sub/b.bin", std::string(2000, 'b'));
        tree.Write("sub/deeper/c", std::string(30, 'c'));
        tree.Write("nested/inner.txt", std::string(400, 'n'));
    }
    testing::TempDir tree;
    LinuxPlatform platform{Environment{}};
    WalkCounters counters;
};

TEST_F(LinuxWalkTest, CountsFilesAndFoldersAndSkipsDotDirectories) {
    EXPECT_EQ(space::GetFileObjectSize(platform, tree.path(), counters), 100 + 7 + 2000 + 30 + 400);
    EXPECT_EQ(counters.folders, 3u);
    EXPECT_EQ(counters.files, 5u);
}

TEST_F(LinuxWalkTest, LinksAreCountedAsThemselvesAndNeverFollowed) {
    tree.Link("sub/loop", tree.path());        // a cycle back to the top
    tree.Link("sub/to-file", tree / "a.txt");
    const auto linkSize = [&](const std::string& link) {
        struct stat info {};
        ::lstat((tree / link).c_str(), &info);
        return static_cast<std::int64_t>(info.st_size);
    };
    EXPECT_EQ(space::GetFileObjectSize(platform, tree.path(), counters),
              2537 + linkSize("sub/loop") + linkSize("sub/to-file"));
    EXPECT_EQ(counters.folders, 3u);
    EXPECT_EQ(counters.files, 7u);
}

TEST_F(LinuxWalkTest, NamesThatAreNotUtf8AreWalked) {
    tree.Write("bad\xff\xfe" "dir/file", std::string(11, 'x'));
    tree.Write("bad\xff" "name", std::string(13, 'x'));
    EXPECT_EQ(space::GetFileObjectSize(platform, tree.path(), counters), 2537 + 11 + 13);
    EXPECT_EQ(counters.folders, 4u);
    EXPECT_EQ(counters.files, 7u);
}

TEST_F(LinuxWalkTest, AFolderListedInManyReadsIsCountedWhole) {
    // 3,000 long names (about 700 KB of listing) and a folder among every hundred files:
    // the listing is read in many pieces, and no entry may be lost or counted twice at their seams.
    std::int64_t bytes = 2537;
    for (int n = 0; n < 3000; ++n) {
        const std::string name = "many/" + std::string(200, static_cast<char>('a' + n % 26)) + std::to_string(n);
        if (n % 100 == 0) {
            tree.Write(name + "/inside", std::string(3, 'i'));
            bytes += 3;
        } else {
            tree.Write(name, std::string(static_cast<std::size_t>(n % 7), 'x'));
            bytes += n % 7;
        }
    }
    EXPECT_EQ(space::GetFileObjectSize(platform, tree.path(), counters), bytes);
    EXPECT_EQ(counters.folders, 3u + 1u + 30u);
    EXPECT_EQ(counters.files, 5u + 2970u + 30u);
}

TEST_F(LinuxWalkTest, ExclusionsNeedTheTrailingSlashAndTheExactName) {
    EXPECT_EQ(space::GetFileObjectSizeEX(platform, tree.path(), {tree / "sub/"}, counters), 100 + 7 + 400);
    EXPECT_EQ(counters.folders, 1u);
    WalkCounters unmatched;
    EXPECT_EQ(space::GetFileObjectSizeEX(platform, tree.path(), {tree / "sub"}, unmatched), 2537);
    // Linux names differ by case: SUB is another folder than sub.
    WalkCounters otherCase;
    EXPECT_EQ(space::GetFileObjectSizeEX(platform, tree.path(), {tree / "SUB/"}, otherCase), 2537);
}

TEST_F(LinuxWalkTest, AFileOrMissingBasedirAndALinkedBasedir) {
    EXPECT_EQ(space::GetFileObjectSize(platform, tree / "a.txt", counters), 100);
    EXPECT_EQ(counters.files, 1u);
    WalkCounters none;
    EXPECT_EQ(space::GetFileObjectSize(platform, tree / "missing", none), 0);
    EXPECT_EQ(none.files + none.folders, 0u);
    // A known folder that is itself a link to a folder is measured where it points.
    testing::TempDir other;
    other.Link("Documents", tree / "sub");
    WalkCounters linked;
    EXPECT_EQ(space::GetFileObjectSize(platform, other / "Documents", linked), 2030);
    EXPECT_EQ(linked.folders, 1u);
}

// The system's walk with as many walkers as a test asks for, whatever the disk is.
class WalkersSystem final : public LinuxSystem {
public:
    explicit WalkersSystem(int walkers) : LinuxSystem(Environment{}), walkers_(walkers) {}
    int ParallelReadsFor(const std::string&) override { return walkers_; }

private:
    int walkers_;
};

TEST(LinuxWalk, AnyNumberOfWalkersCountsABroadDeepTreeExactlyOnce) {
    // Twelve chains six folders deep, four files in each folder; sizes tell the files apart.
    testing::TempDir tree;
    const auto sizeOf = [](int top, int depth, int n) { return top * 7 + depth * 3 + n; };
    std::int64_t bytes = 0, excludedBytes = 0;
    for (int top = 0; top < 12; ++top) {
        std::string path = "t" + std::to_string(top);
        for (int depth = 0; depth < 6; ++depth) {
            path += "/d" + std::to_string(depth);
            for (int n = 0; n < 4; ++n) {
                tree.Write(path + "/f" + std::to_string(n), std::string(static_cast<std::size_t>(sizeOf(top, depth, n)), 'x'));
                bytes += sizeOf(top, depth, n);
                if (top == 3 || (top == 5 && depth >= 1)) excludedBytes += sizeOf(top, depth, n);
            }
        }
    }
    tree.Write("t0/.git/objects/pack", std::string(999, 'g'));  // skipped with its folder
    for (const int walkers : {1, 2, 8, 16}) {
        WalkersSystem forced(walkers);
        for (int round = 0; round < 10; ++round) {
            space::WalkCounters all;
            ASSERT_EQ(space::GetFileObjectSize(forced, tree.path(), all), bytes) << walkers << " " << round;
            ASSERT_EQ(all.folders, 12u * 7u) << walkers << " " << round;
            ASSERT_EQ(all.files, 12u * 6u * 4u) << walkers << " " << round;
        }
    }
    LinuxPlatform platform{Environment{}};
    // t3/d0 and everything under it, t5/d0/d1 and everything under it; T5/D0 is no folder here.
    space::WalkCounters some;
    EXPECT_EQ(space::GetFileObjectSizeEX(platform, tree.path(), {tree / "t3/d0/", tree / "t5/d0/d1/", tree / "T5/D0/"}, some),
              bytes - excludedBytes);
    EXPECT_EQ(some.folders, 12u * 7u - 6u - 5u);
    EXPECT_EQ(some.files, 12u * 6u * 4u - 24u - 20u);
}

TEST_F(LinuxWalkTest, AnUnreadableSubFolderCountsOnceWithNothingInIt) {
    ::chmod((tree / "sub").c_str(), 0);
    ::chmod(tree.path().c_str(), 0755);
    // Root reads every folder: the walk runs as nobody, where permissions count.
    EXPECT_TRUE(testing::AsNobody([&] {
        WalkCounters seen;
        const std::int64_t total = space::GetFileObjectSize(platform, tree.path(), seen);
        return total == 507 && seen.folders == 2u && seen.files == 3u;
    }));
    ::chmod((tree / "sub").c_str(), 0755);
}

// Sets the soft limit of open files to `headroom` above what is open now, for its lifetime.
class FewDescriptors {
public:
    explicit FewDescriptors(rlim_t headroom) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlim_t open = 0;
        for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++open;
        rlimit limited = saved_;
        limited.rlim_cur = open + headroom;
        ::setrlimit(RLIMIT_NOFILE, &limited);
    }
    ~FewDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    FewDescriptors(const FewDescriptors&) = delete;
    FewDescriptors& operator=(const FewDescriptors&) = delete;

private:
    rlimit saved_{};
};

TEST_F(LinuxWalkTest, StaysExactWithFewDescriptorsOnWideAndDeepTrees) {
    std::string deep = tree / "chain";
    tree.MakeDir("chain");
    for (int level = 0; level < 600; ++level) {
        deep += "/d";
        ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
    }
    tree.MakeDir("wide");
    for (int i = 0; i < 3000; ++i) ASSERT_EQ(::mkdir((tree / "wide/w" + std::to_string(i)).c_str(), 0755), 0);
    const FewDescriptors few(100);
    for (const int walkers : {1, 2, 16}) {
        WalkersSystem forced(walkers);
        for (int round = 0; round < 3; ++round) {
            WalkCounters all;
            EXPECT_EQ(space::GetFileObjectSize(forced, tree.path(), all), 2537) << walkers << " " << round;
            EXPECT_EQ(all.folders, 3u + 1u + 600u + 1u + 3000u) << walkers << " " << round;
            EXPECT_EQ(all.files, 5u) << walkers << " " << round;
        }
    }
}

TEST_F(LinuxWalkTest, AFilesystemMountedInsideIsNotWalked) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    tree.MakeDir("sub/bound");
    // The folder bound inside itself, as `mount --bind` would do it: its content would count twice.
    if (std::system(("mount --bind '" + tree.path() + "' '" + (tree / "sub/bound") + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "mounting is not permitted here";
    WalkCounters seen;
    const std::int64_t total = space::GetFileObjectSize(platform, tree.path(), seen);
    std::system(("umount '" + (tree / "sub/bound") + "'").c_str());
    EXPECT_EQ(total, 2537);
    EXPECT_EQ(seen.folders, 4u);  // the mount point is a folder of its own, with nothing counted in it
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
