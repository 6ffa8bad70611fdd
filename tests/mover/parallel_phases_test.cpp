// The phases that run on several workers (the walk of the source, the copy, the check and
// the deletion) give the same result with one worker or eight, and the deletion, done a
// folder at a time in parallel branches, still removes only what is unchanged since its copy
// and stops every worker at the first removal that fails.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mover/folder_chain.h"
#include "mover/move_plan.h"
#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRequest;
using relocation::MoveResult;

constexpr int kBranches = 8;

// The varied tree, with branches of folders full of files, a deep chain of folders, empty
// folders, and a file with a second name in another branch.
void MakeWideTree(const std::string& root) {
    MakeVariedTree(root);
    for (int b = 0; b < kBranches; ++b)
        for (int s = 0; s < 4; ++s)
            for (int f = 0; f < 20; ++f) {
                const std::string folder = root + "/Branch" + std::to_string(b) + "/Sub" + std::to_string(s);
                std::filesystem::create_directories(folder);
                std::ofstream(folder + "/file" + std::to_string(f)) << std::string(static_cast<std::size_t>(f * 37), 'a' + static_cast<char>(b));
            }
    std::string deep = root + "/Deep";
    for (int level = 0; level < 40; ++level) deep += "/level" + std::to_string(level);
    std::filesystem::create_directories(deep);
    std::ofstream(deep + "/bottom.txt") << "at the bottom";
    std::filesystem::create_directories(root + "/Empty/a/b");
    std::filesystem::create_directories(root + "/EmptyTop");
    ::link((root + "/Branch1/Sub0/file3").c_str(), (root + "/Branch6/second-name").c_str());
    const timespec times[2] = {{1400000000, 1}, {1450000000, 222}};
    ::utimensat(AT_FDCWD, (root + "/Deep/level0/level1").c_str(), times, AT_SYMLINK_NOFOLLOW);
    ::utimensat(AT_FDCWD, (root + "/Empty/a").c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::int64_t ModifiedNs(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return -1;
    return info.st_mtim.tv_sec * 1000000000ll + info.st_mtim.tv_nsec;
}

class ParallelPhasesTest : public ::testing::Test {
protected:
    ParallelPhasesTest() {
        MakeWideTree(Source());
        before = Manifest(Source());
    }
    std::string Source() const { return home / "Music"; }
    std::string Target() const { return drive / "home/al/Music"; }
    MoveRequest Request(int workers) const {
        MoveRequest request = WholeMusicMove(home, drive);
        request.workers = workers;
        return request;
    }
    MoveResult Move(platform::FileOps& files, int workers) {
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] {
            if (atRegistration) atRegistration();
            return true;
        };
        return relocation::MoveFolderContent(files, Request(workers), callbacks);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempDir home, drive;
    std::map<std::string, std::string> before;
    std::function<void()> atRegistration;
};

TEST_F(ParallelPhasesTest, OneTwoOrEightWorkersMoveTheSameTree) {
    for (const int workers : {1, 2, 8}) {
        std::filesystem::remove_all(drive / "home");
        std::filesystem::remove_all(Source());
        MakeWideTree(Source());
        before = Manifest(Source());
        platform::linux_desktop::PosixFileOps ops;
        const MoveResult result = Move(ops, workers);
        ASSERT_EQ(result.outcome, MoveOutcome::Moved) << workers << ": " << result.errorText;
        EXPECT_TRUE(result.keptSources.empty()) << workers << ": " << result.errorText;
        // Kinds, modes, owners, sizes, times, link targets, content, attributes, hard links.
        EXPECT_EQ(Manifest(Target()), before) << workers;
        EXPECT_TRUE(Manifest(Source()).empty()) << workers;  // deep branches and empty folders went too
        EXPECT_EQ(ModifiedNs(Target() + "/Deep/level0/level1"), 1450000000000000222ll) << workers;
        EXPECT_EQ(ModifiedNs(Target() + "/Empty/a"), 1450000000000000222ll) << workers;
        EXPECT_EQ(ModifiedNs(Target() + "/Photos/2019"), 1600000000987654321ll) << workers;
    }
}

// The walk puts the entries in one order however many threads listed the folders.
TEST_F(ParallelPhasesTest, TheWalkOfTheSourceIsTheSameOnAnyNumberOfWorkers) {
    platform::linux_desktop::PosixFileOps ops;
    relocation::HeldGuard root(ops);
    FileInfo rootInfo;
    ASSERT_EQ(ops.OpenPath(Source(), *root.out(), rootInfo), 0);
    const std::vector<std::string> exclusions = {Source() + "/Nested/Inner"};
    const auto one = relocation::ScanSource(ops, root.get(), Source(), rootInfo, exclusions, 1);
    ASSERT_GT(one.entries.size(), 300u);
    EXPECT_EQ(one.entries.front().relative, ".hidden-folder");
    for (const int workers : {2, 8}) {
        const auto many = relocation::ScanSource(ops, root.get(), Source(), rootInfo, exclusions, workers);
        ASSERT_EQ(many.entries.size(), one.entries.size()) << workers;
        for (std::size_t i = 0; i < one.entries.size(); ++i) {
            EXPECT_EQ(many.entries[i].relative, one.entries[i].relative) << workers << " at " << i;
            EXPECT_EQ(many.entries[i].linkOf, one.entries[i].linkOf) << one.entries[i].relative;
            EXPECT_EQ(many.entries[i].keep, one.entries[i].keep) << one.entries[i].relative;
            EXPECT_TRUE(many.entries[i].info.SameObjectAs(one.entries[i].info)) << one.entries[i].relative;
        }
        EXPECT_EQ(many.folders, one.folders) << workers;
    }
    // Parents first, each folder's entries sorted and the content of a folder right after it.
    for (std::size_t i = 0; i < one.entries.size(); ++i) {
        const auto [place, name] = relocation::SplitPlace(one.entries[i].relative);
        if (!place.empty()) {
            EXPECT_LT(one.folders.at(place), i) << one.entries[i].relative;
        }
    }
    const auto inner = std::find_if(one.entries.begin(), one.entries.end(),
                                    [](const relocation::PlanEntry& e) { return e.relative == "Nested"; });
    ASSERT_NE(inner, one.entries.end());
    EXPECT_TRUE(inner->keep);
    for (const auto& entry : one.entries) EXPECT_FALSE(entry.relative.starts_with("Nested/Inner")) << entry.relative;
}

// Files changed after their check, in several branches, stay where they are with their new
// content while the branches around them go.
TEST_F(ParallelPhasesTest, AFileChangedDuringTheMoveIsNeverDeletedByAnyWorker) {
    std::string deepFile = "/Deep";
    for (int level = 0; level < 40; ++level) deepFile += "/level" + std::to_string(level);
    deepFile += "/bottom.txt";
    atRegistration = [&] {
        const std::string edited = Source() + "/Branch3/Sub2/file7";
        struct stat info {};
        ASSERT_EQ(::stat(edited.c_str(), &info), 0);
        {
            std::fstream file(edited, std::ios::in | std::ios::out | std::ios::binary);
            file.write("EDITED", 6);  // same size, and the time put back: only the change time tells
        }
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, edited.c_str(), times, 0), 0);
        std::ofstream(Source() + "/Branch6/Sub0/file1", std::ios::app) << " and more";
        // Another file under the deep one's name, with the same content.
        std::filesystem::remove(Source() + deepFile);
        std::ofstream(Source() + deepFile) << "at the bottom";
    };
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops, 8);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Read(Source() + "/Branch3/Sub2/file7").substr(0, 6), "EDITED");
    EXPECT_EQ(Read(Source() + "/Branch6/Sub0/file1"), std::string(37, 'g') + " and more");
    EXPECT_EQ(Read(Source() + deepFile), "at the bottom");
    EXPECT_EQ(result.keptSources.size(), 3u) << result.errorText;
    EXPECT_TRUE(result.errorText.starts_with("Áthelyezve; a régi helyen maradt, mert közben megváltozott vagy új: "))
        << result.errorText;
    // Everything else went: what stays is those three files and the folders that hold them.
    for (const auto& [path, line] : Manifest(Source()))
        EXPECT_TRUE(line.starts_with(std::to_string(S_IFDIR)) || path == "/Branch3/Sub2/file7" ||
                    path == "/Branch6/Sub0/file1" || path == deepFile)
            << path;
    EXPECT_EQ(Manifest(Target()), before);
}

// A branch its owner sets aside, putting a link to somebody else's folder in its place, while
// the workers empty it: the file a worker removes through the folder it still holds comes
// back, nothing else in the branch goes, and nothing goes through the link.
TEST_F(ParallelPhasesTest, ABranchSetAsideWhileItIsEmptiedGetsBackWhatWasRemovedFromIt) {
    TempDir outside;
    outside.Write("Sub0/file7", "somebody else's");
    const auto outsideBefore = Manifest(outside.path());
    const std::string aside = home / "set-aside";
    class SwappingRemove : public platform::linux_desktop::PosixFileOps {
    public:
        int Remove(platform::HeldFolder parent, const std::string& name, FileKind kind) override {
            {
                const std::lock_guard one(lock);
                // The first removal in a branch's subfolder that is not a hard link's name (those
                // go first, one at a time): its branch, two folders up, is swapped right before it.
                const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(parent.handle));
                if (!swapped && kind == FileKind::Regular && name != "file3" &&
                    folder.parent_path().filename().string().starts_with("Branch")) {
                    swapped = true;
                    removed = folder.filename().string() + "/" + name;
                    branch = folder.parent_path().string();
                    swap(branch);
                }
            }
            return PosixFileOps::Remove(parent, name, kind);
        }
        std::function<void(const std::string&)> swap;
        std::mutex lock;
        bool swapped = false;
        std::string removed, branch;
    } ops;
    std::map<std::string, std::string> asideThen;
    ops.swap = [&](const std::string& branch) {
        ASSERT_EQ(::rename(branch.c_str(), aside.c_str()), 0);
        ASSERT_EQ(::symlink(outside.path().c_str(), branch.c_str()), 0);
        asideThen = Manifest(aside);
    };
    const MoveResult result = Move(ops, 4);
    ASSERT_TRUE(ops.swapped);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Manifest(Target()), before);
    EXPECT_EQ(Manifest(outside.path()), outsideBefore);
    // The branch set aside is as it was when it was set aside, the file removed from it included.
    const auto asideNow = Manifest(aside);
    ASSERT_TRUE(asideThen.contains("/" + ops.removed));
    for (const auto& [path, line] : asideThen) {
        ASSERT_TRUE(asideNow.contains(path)) << path << " was removed from the folder set aside";
        EXPECT_EQ(asideNow.at(path), line) << path;
    }
    const std::string branchName = std::filesystem::path(ops.branch).filename().string();
    EXPECT_NE(std::find(result.keptSources.begin(), result.keptSources.end(), Source() + "/" + branchName + "/" + ops.removed),
              result.keptSources.end())
        << result.errorText;
}

// A removal failing in one branch: the workers in the others stop, no folder above it goes,
// and what is left at the old place is whole, with its verified copy at the target. The
// same when it is a name of a hard-linked file, which go first: nothing else goes then.
TEST_F(ParallelPhasesTest, AFailedRemovalInOneBranchStopsTheOthers) {
    const std::pair<const char*, int> cases[] = {{"file11", 1}, {"file11", 8}, {"second-name", 8}};
    for (const auto& [failing, workers] : cases) {
        std::filesystem::remove_all(drive / "home");
        std::filesystem::remove_all(Source());
        MakeWideTree(Source());
        before = Manifest(Source());
        class FailingRemove : public platform::linux_desktop::PosixFileOps {
        public:
            int Remove(platform::HeldFolder parent, const std::string& name, FileKind kind) override {
                if (kind != FileKind::Directory && name == failing && !failed.exchange(true)) return EIO;
                // A removal begun as the other one failed waits until the failure was surely
                // heard: removals after it are the ones a worker began although told to stop.
                const bool after = failed;
                if (after) std::this_thread::sleep_for(std::chrono::milliseconds(300));
                const int result = PosixFileOps::Remove(parent, name, kind);
                if (result == 0 && after && kind != FileKind::Directory) ++removedAfter;
                return result;
            }
            std::string failing;
            std::atomic<bool> failed{false};
            std::atomic<int> removedAfter{0};
        } ops;
        ops.failing = failing;
        bool changed = false;
        atRegistration = [&] {
            changed = true;
            std::ofstream(Source() + "/Branch0/Sub0/file5", std::ios::app) << " changed";
        };
        const MoveResult result = Move(ops, workers);
        ASSERT_TRUE(changed);
        ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
        EXPECT_TRUE(ops.failed);
        // At most the removals the other workers had already begun; none after a hard link's.
        const bool linked = std::string(failing) == "second-name";
        EXPECT_LE(ops.removedAfter.load(), linked ? 0 : workers - 1) << failing << " " << workers;
        EXPECT_TRUE(result.errorText.starts_with("Áthelyezve; a régi helyről nem törölhető (" + ops.ErrorText(EIO) + "): "))
            << result.errorText;
        EXPECT_EQ(Read(Source() + "/Branch0/Sub0/file5"), std::string(5 * 37, 'a') + " changed");
        const auto left = Manifest(Source());
        const auto moved = Manifest(Target());
        EXPECT_GT(left.size(), 300u) << workers;  // most of the tree was never reached
        EXPECT_EQ(moved, before) << workers;
        for (const auto& [path, line] : left) {
            if (path == "/Branch0/Sub0/file5" || line.starts_with(std::to_string(S_IFDIR))) continue;
            ASSERT_TRUE(moved.contains(path)) << path;
            const auto withoutGroup = [](std::string text) {
                if (const auto at = text.find(" link-group "); at != std::string::npos)
                    text.erase(at, text.find(' ', at + 12) - at);
                return text;
            };
            EXPECT_EQ(withoutGroup(line), withoutGroup(moved.at(path))) << path;
        }
        EXPECT_NE(std::find_if(result.keptSources.begin(), result.keptSources.end(),
                               [&](const std::string& path) { return path.ends_with(std::string("/") + failing); }),
                  result.keptSources.end());
        EXPECT_NE(std::find(result.keptSources.begin(), result.keptSources.end(), Source() + "/Branch0/Sub0/file5"),
                  result.keptSources.end());
    }
}

}  // namespace
}  // namespace trovel::testing
