// A move within one filesystem goes by one rename: the folder keeps its inodes, replaces only
// an empty folder, is renamed back (and the empty folder made again) when it cannot be
// registered, falls back to copying where it would merge, and a crash in it is renamed back.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "mover/move_plan.h"
#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRequest;
using relocation::MoveResult;

class FolderRenameTest : public ::testing::Test {
protected:
    FolderRenameTest() {
        MakeVariedTree(Source());
        before = Manifest(Source());
        std::filesystem::create_directories(home / "state");
        ::chmod((home / "state").c_str(), 0700);
        std::filesystem::create_directories(Target());
        ::chmod(Target().c_str(), 0750);
    }
    // The folder lies elsewhere on the home's filesystem, and goes back to the empty default.
    std::string Source() const { return home / "elsewhere/Music"; }
    std::string Target() const { return home / "Music"; }
    std::string JournalPath() const { return home / "state/move-MUSIC.journal"; }
    MoveRequest Request() const {
        MoveRequest request;
        request.source = Source();
        request.target = Target();
        request.driveRoot = home.path();
        request.deleteSource = true;
        request.renameOnSameFilesystem = true;
        request.journal = JournalPath();
        return request;
    }
    MoveResult Move(const MoveRequest& request) {
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] { return registerWorks; };
        return relocation::MoveFolderContent(ops, request, callbacks);
    }
    static std::uint64_t Inode(const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }

    TempDir home;
    platform::linux_desktop::PosixFileOps ops;
    std::map<std::string, std::string> before;
    bool registerWorks = true;
};

TEST_F(FolderRenameTest, TheFolderIsRenamedOverTheEmptyDefaultAndKeepsItsInodes) {
    const std::uint64_t folder = Inode(Source());
    const MoveResult result = Move(Request());
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Inode(Target()), folder);
    EXPECT_EQ(Manifest(Target()), before);
    EXPECT_FALSE(std::filesystem::exists(Source()));
    EXPECT_GT(result.files, 0u);
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
}

TEST_F(FolderRenameTest, AFolderThatCannotBeRegisteredIsRenamedBackAndTheEmptyDefaultMadeAgain) {
    registerWorks = false;
    const std::uint64_t folder = Inode(Source());
    EXPECT_EQ(Move(Request()).outcome, MoveOutcome::Failed);
    EXPECT_EQ(Inode(Source()), folder);
    EXPECT_EQ(Manifest(Source()), before);
    ASSERT_TRUE(std::filesystem::is_directory(Target()));
    EXPECT_TRUE(std::filesystem::is_empty(Target()));
    struct stat info {};
    ASSERT_EQ(::stat(Target().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
}

TEST_F(FolderRenameTest, ContentAtTheDefaultOrAFolderThatStaysOrACopyIsCopiedNotRenamed) {
    home.Write("Music/new.txt", "the player's");
    const std::uint64_t folder = Inode(Source());
    ASSERT_EQ(Move(Request()).outcome, MoveOutcome::Moved);
    EXPECT_EQ(Inode(Source()), folder);  // the old folder is still there, emptied
    EXPECT_EQ(Manifest(Target()).count("/new.txt"), 1u);
    for (const auto& [path, what] : before) EXPECT_EQ(Manifest(Target()).at(path), what) << path;

    // Nothing of the old content goes when it is only copied.
    std::filesystem::remove_all(Target());
    std::filesystem::remove_all(Source());
    MakeVariedTree(Source());
    const auto made = Manifest(Source());
    MoveRequest copy = Request();
    copy.deleteSource = false;
    ASSERT_EQ(Move(copy).outcome, MoveOutcome::Moved);
    EXPECT_NE(Inode(Target()), Inode(Source()));
    EXPECT_EQ(Manifest(Source()), made);
}

TEST_F(FolderRenameTest, ARunKilledAfterTheRenameIsRenamedBackByTheRecovery) {
    // As the run leaves it when killed between the rename and the registration.
    relocation::Journal journal;
    journal.phase = "renaming";
    journal.source = Source();
    journal.target = Target();
    journal.driveRoot = home.path();
    journal.deleteSource = true;
    struct stat info {};
    ASSERT_EQ(::stat(Source().c_str(), &info), 0);
    journal.folderDevice = info.st_dev;
    journal.folderInode = info.st_ino;
    journal.replacedEmpty = true;
    journal.replacedMode = 0750;
    { std::ofstream(JournalPath()) << relocation::FormatJournal(journal); }
    ::chmod(JournalPath().c_str(), 0600);
    std::filesystem::remove(Target());
    std::filesystem::rename(Source(), Target());

    relocation::RecoveryContext context;
    context.registeredPaths = {Source()};
    context.knownSources = {Target()};
    context.defaultPaths = {Target()};
    context.onOfferedDrive = [](const std::string&) { return false; };
    const MoveResult result = relocation::RecoverInterruptedMove(ops, JournalPath(), context);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(Inode(Source()), info.st_ino);
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_TRUE(std::filesystem::is_directory(Target()) && std::filesystem::is_empty(Target()));
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));

    // A journal naming another folder than the one found is set aside, and nothing is renamed.
    journal.folderInode += 1;
    { std::ofstream(JournalPath()) << relocation::FormatJournal(journal); }
    ::chmod(JournalPath().c_str(), 0600);
    std::filesystem::remove(Target());
    std::filesystem::rename(Source(), Target());
    EXPECT_EQ(relocation::RecoverInterruptedMove(ops, JournalPath(), context).outcome, MoveOutcome::Refused);
    EXPECT_EQ(Manifest(Target()), before);
    EXPECT_FALSE(std::filesystem::exists(Source()));
}

}  // namespace
}  // namespace trovel::testing
