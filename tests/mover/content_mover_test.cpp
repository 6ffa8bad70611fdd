// The content mover on real folders: what a copy keeps, what a move deletes and keeps, and
// what is refused before anything is written.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRefusal;
using relocation::MoveRequest;
using relocation::MoveResult;

class ContentMoverTest : public ::testing::Test {
protected:
    ContentMoverTest() {
        MakeVariedTree(Source());
        before = Manifest(Source());
    }
    std::string Source() const { return home / "Music"; }
    std::string Target() const { return drive / "home/al/Music"; }
    MoveRequest Request(bool deleteSource) const {
        MoveRequest request;
        request.source = Source();
        request.target = Target();
        request.deleteSource = deleteSource;
        request.keptFolders = {home.path(), home / ".config"};
        request.journal = home / ".local/state/trovel/move-MUSIC.journal";
        request.verifyContent = true;
        return request;
    }
    MoveResult Move(platform::FileOps& files, const MoveRequest& request) {
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] {
            ++registrations;
            return registerWorks;
        };
        return relocation::MoveFolderContent(files, request, callbacks);
    }

    TempDir home;
    TempDir drive;
    platform::linux_desktop::PosixFileOps ops;
    std::map<std::string, std::string> before;
    int registrations = 0;
    bool registerWorks = true;
};

TEST_F(ContentMoverTest, ACopyKeepsEverythingACopyShouldAndLeavesTheSource) {
    const MoveResult result = Move(ops, Request(false));
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(Manifest(Target()), before);  // types, modes, times, links, hard links, content, attributes
    EXPECT_EQ(Manifest(Source()), before);
    struct stat sparse {};
    ASSERT_EQ(::stat((Target() + "/sparse.img").c_str(), &sparse), 0);
    EXPECT_LT(sparse.st_blocks * 512, 1024 * 1024);  // the hole stayed a hole
    EXPECT_FALSE(std::filesystem::exists(home / ".local/state/trovel/move-MUSIC.journal"));
    // The folders made above the target are open, as folders usually are.
    struct stat above {};
    ASSERT_EQ(::stat((drive / "home/al").c_str(), &above), 0);
    EXPECT_EQ(above.st_mode & 0777, 0755u);
}

TEST_F(ContentMoverTest, AMoveDeletesWhatWasCopiedButKeepsExcludedFoldersAndTheirWay) {
    MoveRequest request = Request(true);
    request.exclusions = {Source() + "/Nested/Inner"};
    const MoveResult result = Move(ops, request);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_TRUE(result.keptSources.empty());
    // The old folder stays, holding only the excluded folder and the folder leading to it.
    EXPECT_EQ(Manifest(Source()), (std::map<std::string, std::string>{{"/Nested", before["/Nested"]},
                                                                       {"/Nested/Inner", before["/Nested/Inner"]},
                                                                       {"/Nested/Inner/keep.txt", before["/Nested/Inner/keep.txt"]}}));
    auto moved = before;
    moved.erase("/Nested/Inner");
    moved.erase("/Nested/Inner/keep.txt");
    moved.erase("/Nested");  // its time changed when its children went
    auto there = Manifest(Target());
    there.erase("/Nested");
    EXPECT_EQ(there, moved);
}

TEST_F(ContentMoverTest, AFailedRegistrationUndoesTheCopy) {
    registerWorks = false;
    const MoveResult result = Move(ops, Request(true));
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    EXPECT_NE(result.errorText.find("nem jegyezhető be"), std::string::npos) << result.errorText;
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));  // the folders made above it went too
}

TEST_F(ContentMoverTest, WhatStandsInTheWayIsRefusedBeforeAnythingIsWritten) {
    const auto refused = [&](MoveRequest request, const char* expected, MoveRefusal why = MoveRefusal::Other) {
        const MoveResult result = Move(ops, request);
        EXPECT_EQ(result.outcome, MoveOutcome::Refused) << expected;
        EXPECT_EQ(result.refusal, why) << expected;  // what a script is told, as a code
        EXPECT_NE(result.errorText.find(expected), std::string::npos) << result.errorText;
        EXPECT_EQ(registrations, 0);
        EXPECT_EQ(Manifest(Source()), before);
    };
    MoveRequest inside = Request(true);
    inside.target = Source() + "/Photos/new";
    refused(inside, "A cél a mappán belül van");
    MoveRequest home_ = Request(true);
    home_.source = home.path();
    refused(home_, "saját mappa");
    // Something else under the same name at the target: never overwritten.
    std::filesystem::create_directories(Target() + "/Photos");
    std::ofstream(Target() + "/Photos/notes.txt") << "another text";
    refused(Request(true), "más tartalmú", MoveRefusal::Conflict);
    EXPECT_EQ(Manifest(Target()).size(), 2u);
}

TEST_F(ContentMoverTest, WhatIsAlreadyThereAndTheSameCountsAsCopiedSoARunCanBeRepeated) {
    std::filesystem::create_directories(Target() + "/Photos");
    std::filesystem::copy_file(Source() + "/Photos/notes.txt", Target() + "/Photos/notes.txt");
    std::ofstream(Target() + "/theirs.txt") << "was there before";
    const MoveResult result = Move(ops, Request(true));
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_TRUE(std::filesystem::exists(Target() + "/theirs.txt"));
    EXPECT_TRUE(std::filesystem::exists(Target() + "/Photos/2019/Summer/beach.jpg"));
    EXPECT_FALSE(std::filesystem::exists(Source() + "/Photos/notes.txt"));
}

TEST_F(ContentMoverTest, NotEnoughRoomIsRefusedCountingDotFolders) {
    class Small : public platform::linux_desktop::PosixFileOps {
    public:
        int FreeSpace(platform::HeldFolder, std::uint64_t& bytes) override {
            bytes = 50000;  // less than the 70,000-byte photo and the rest
            return 0;
        }
    } small;
    const MoveResult result = Move(small, Request(true));
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_EQ(result.refusal, MoveRefusal::NoRoom);
    EXPECT_NE(result.errorText.find("Nincs elég hely"), std::string::npos) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

TEST_F(ContentMoverTest, UnreadableEntriesAreNamedAndNothingIsWritten) {
    class Locked : public platform::linux_desktop::PosixFileOps {
    public:
        int CheckReadable(platform::HeldFolder parent, const std::string& name, FileKind kind) override {
            return name == "secret" ? EACCES : PosixFileOps::CheckReadable(parent, name, kind);
        }
    } locked;
    const MoveResult result = Move(locked, Request(true));
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_NE(result.errorText.find("Private/secret"), std::string::npos) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

// A dry run: the checks of the move and nothing else. It refuses exactly where the move
// refuses, with the same words, and a check that passes writes nothing, not even the journal.
TEST_F(ContentMoverTest, ACheckRefusesWhereTheMoveRefusesAndWritesNothing) {
    relocation::MoveCallbacks callbacks;
    std::string registrationProblem;
    callbacks.registrationProblem = [&] { return registrationProblem; };
    callbacks.registerTarget = [&] { return ++registrations > 0; };
    const auto same = [&](platform::FileOps& files, const MoveRequest& request, const char* expected) {
        const MoveResult checked = relocation::CheckFolderMove(files, request, callbacks);
        EXPECT_EQ(checked.outcome, MoveOutcome::Refused) << expected;
        EXPECT_NE(checked.errorText.find(expected), std::string::npos) << checked.errorText;
        const MoveResult moved = relocation::MoveFolderContent(files, request, callbacks);
        EXPECT_EQ(moved.outcome, MoveOutcome::Refused) << expected;
        EXPECT_EQ(moved.errorText, checked.errorText);
        EXPECT_EQ(registrations, 0);
        EXPECT_EQ(Manifest(Source()), before);
    };
    MoveRequest inside = Request(true);
    inside.target = Source() + "/Photos/new";
    same(ops, inside, "A cél a mappán belül van");
    class Small : public platform::linux_desktop::PosixFileOps {
    public:
        int FreeSpace(platform::HeldFolder, std::uint64_t& bytes) override {
            bytes = 50000;
            return 0;
        }
    } small;
    same(small, Request(true), "Nincs elég hely");
    // A path the registry cannot hold: refused before the copy, not rolled back after it.
    registrationProblem = "a registry cannot hold this path";
    same(ops, Request(true), "a registry cannot hold this path");
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
    registrationProblem.clear();
    std::filesystem::create_directories(Target() + "/Photos");
    std::ofstream(Target() + "/Photos/notes.txt") << "another text";
    same(ops, Request(true), "más tartalmú");
    std::filesystem::remove_all(drive / "home");

    // Nothing in the way: the check passes and leaves no trace.
    const MoveResult checked = relocation::CheckFolderMove(ops, Request(true), callbacks);
    EXPECT_EQ(checked.outcome, MoveOutcome::Checked) << checked.errorText;
    EXPECT_TRUE(std::filesystem::is_empty(drive.path()));
    EXPECT_FALSE(std::filesystem::exists(Request(true).journal));
    EXPECT_EQ(registrations, 0);
    // A journal of a killed run is the check's answer: the run would have to settle it first.
    std::filesystem::create_directories(home / ".local/state/trovel");
    std::ofstream(Request(true).journal) << "trovel-move 2\nend\n";
    ::chmod(Request(true).journal.c_str(), 0600);
    EXPECT_EQ(relocation::CheckFolderMove(ops, Request(true), callbacks).outcome, MoveOutcome::Refused);
}

TEST_F(ContentMoverTest, ATargetThatIsTheSourceItselfIsNothingToDo) {
    MoveRequest request = Request(true);
    request.target = Source() + "/.";  // what a resolved link to the folder itself comes to
    EXPECT_EQ(Move(ops, request).outcome, MoveOutcome::Same);
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(ContentMoverTest, ACancelledRunIsUndone) {
    relocation::MoveCallbacks callbacks;
    std::atomic<int> polls{0};
    callbacks.cancelled = [&] { return ++polls > 5; };
    callbacks.registerTarget = [] { return true; };
    const MoveResult result = relocation::MoveFolderContent(ops, Request(true), callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Cancelled);
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

// A folder of large files keeps both workers busy: each copy waits (a while) for another
// one to start beside it.
TEST_F(ContentMoverTest, LargeFilesInOneFolderAreCopiedSideBySide) {
    class Rendezvous : public platform::linux_desktop::PosixFileOps {
    public:
        int CopyFile(platform::HeldFolder fp, const std::string& fn, platform::HeldFolder tp, const std::string& tn,
                     const FileInfo& l, const std::function<void(std::uint64_t)>& c) override {
            {
                std::unique_lock lock(mutex);
                mostAtOnce = std::max(mostAtOnce, ++inside);
                changed.notify_all();
                changed.wait_for(lock, std::chrono::seconds(2), [&] { return inside >= 2; });
            }
            const int result = PosixFileOps::CopyFile(fp, fn, tp, tn, l, c);
            std::lock_guard lock(mutex);
            --inside;
            return result;
        }
        std::mutex mutex;
        std::condition_variable changed;
        int inside = 0;
        int mostAtOnce = 0;
    } rendezvous;
    const std::string large = home / "Videos";
    std::filesystem::create_directories(large);
    for (int i = 0; i < 4; ++i) {
        const int fd = ::open((large + "/clip" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);  // sparse: large in size, nothing to copy
        ::close(fd);
    }
    MoveRequest request = Request(false);
    request.source = large;
    request.target = drive / "Videos";
    request.workers = 2;
    const MoveResult result = Move(rendezvous, request);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(rendezvous.mostAtOnce, 2);
}

}  // namespace
}  // namespace trovel::testing
