// Someone else at work while a folder moves: folders swapped for links, files edited, copies
// altered or removed, names taken at the target, the wrong drive. Whatever happens, no file
// is lost, nothing outside the folder is read or removed, and success is said only when true.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRequest;
using relocation::MoveResult;

class MoverInterferenceTest : public ::testing::Test {
protected:
    MoverInterferenceTest() {
        MakeVariedTree(Source());
        before = Manifest(Source());
        // Somewhere else on the machine, with a file under a name the folder has too.
        outside.Write("notes.txt", "Árvíztűrő tükörfúrógép\n");
        outside.Write("private/key", "secret of someone else");
        outsideBefore = Manifest(outside.path());
    }
    std::string Source() const { return home / "Music"; }
    std::string Target() const { return drive / "home/al/Music"; }
    MoveRequest Request() const { return WholeMusicMove(home, drive); }
    MoveResult Move(platform::FileOps& files, const MoveRequest& request) {
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] {
            ++registrations;
            if (atRegistration) atRegistration();
            return true;
        };
        return relocation::MoveFolderContent(files, request, callbacks);
    }
    MoveResult Move(platform::FileOps& files) { return Move(files, Request()); }
    // Swaps a folder of the source for a link to the outside folder.
    void SwapForLink(const std::string& relative) {
        ASSERT_EQ(::rename((Source() + "/" + relative).c_str(), (home / "swapped-away").c_str()), 0);
        ASSERT_EQ(::symlink(outside.path().c_str(), (Source() + "/" + relative).c_str()), 0);
    }
    // Puts a file's modification time back after an edit, as tag editors do.
    static void EditKeepingTheTime(const std::string& path, const std::string& sameSizeText) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        ASSERT_EQ(static_cast<std::size_t>(info.st_size), sameSizeText.size());
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.write(sameSizeText.data(), static_cast<std::streamsize>(sameSizeText.size()));
        }
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Nothing outside the folder was read into the target or touched.
    void ExpectOutsideUntouched() {
        EXPECT_EQ(Manifest(outside.path()), outsideBefore);
        EXPECT_FALSE(std::filesystem::exists(Target() + "/Photos/private/key"));
    }

    TempDir home, drive, outside;
    std::map<std::string, std::string> before, outsideBefore;
    int registrations = 0;
    std::function<void()> atRegistration;
};

TEST_F(MoverInterferenceTest, AFolderSwappedForALinkDuringTheCopyIsNeverFollowed) {
    FaultyOps ops;
    bool swapped = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "CopyFile" && !swapped) {
            swapped = true;
            SwapForLink("Photos");
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    ExpectOutsideUntouched();
    EXPECT_FALSE(std::filesystem::exists(Target()));  // rolled back whole
    std::map<std::string, std::string> photos;
    for (const auto& [path, line] : before)
        if (path.starts_with("/Photos/")) photos[path.substr(7)] = line;
    const auto aside = Manifest(home / "swapped-away");
    for (const auto& [path, line] : photos) EXPECT_TRUE(aside.contains(path)) << path;
}

TEST_F(MoverInterferenceTest, AFolderSwappedForALinkWhileDeletingLosesNothingOutside) {
    atRegistration = [&] { SwapForLink("Photos"); };
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    ExpectOutsideUntouched();
    // The real folder, moved aside, keeps everything; its copy is at the target.
    EXPECT_EQ(Read(home / "swapped-away/notes.txt"), "Árvíztűrő tükörfúrógép\n");
    EXPECT_EQ(Read(Target() + "/Photos/notes.txt"), "Árvíztűrő tükörfúrógép\n");
    EXPECT_FALSE(result.keptSources.empty());
}

TEST_F(MoverInterferenceTest, ALinkOnTheWayToTheTargetIsRefused) {
    std::filesystem::create_symlink(outside.path(), drive / "home");
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_NE(result.errorText.find("link"), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    ExpectOutsideUntouched();
    EXPECT_FALSE(std::filesystem::exists(outside / "al"));
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(MoverInterferenceTest, ALinkOnTheWayToTheSourceIsRefused) {
    std::filesystem::rename(home.path() + "/Music", home.path() + "/Real");
    std::filesystem::create_symlink(home / "Real", Source());
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_EQ(registrations, 0);
    EXPECT_FALSE(std::filesystem::exists(Target()));
}

TEST_F(MoverInterferenceTest, ADriveThatIsNoLongerTheChosenOneIsRefusedBeforeWriting) {
    platform::linux_desktop::PosixFileOps ops;
    platform::HeldFolder root;
    platform::FileInfo chosen;
    ASSERT_EQ(ops.OpenPath(drive.path(), root, chosen), 0);
    ops.Close(root);
    MoveRequest request = Request();
    // The drive chosen on the page was another filesystem: what is at its root now is not it.
    request.drive = {chosen.device + 1, chosen.mountId};
    const MoveResult result = Move(ops, request);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_NE(result.errorText.find("meghajtó"), std::string::npos) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
    EXPECT_EQ(Manifest(Source()), before);
    // The same drive, as chosen, is taken.
    request.drive = {chosen.device, chosen.mountId};
    EXPECT_EQ(Move(ops, request).outcome, MoveOutcome::Moved);
}

TEST_F(MoverInterferenceTest, EditsDuringTheMoveAreKeptWithOneNameOrTwo) {
    FaultyOps ops;
    bool editedAfterCopy = false;
    // After the copy, before the verification: the file is copied again.
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !editedAfterCopy) {
            editedAfterCopy = true;
            std::ofstream(Source() + "/empty") << "written after its copy";
        }
    };
    // After registration, before deleting: same size, the modification time put back, on a
    // file with one name and on one with two.
    atRegistration = [&] {
        EditKeepingTheTime(Source() + "/run.sh", "#!/bin/zs\n");
        EditKeepingTheTime(Source() + "/notes-link.txt", "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP\n");
    };
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Read(Target() + "/empty"), "written after its copy");
    EXPECT_EQ(Read(Source() + "/run.sh"), "#!/bin/zs\n");
    EXPECT_EQ(Read(Source() + "/notes-link.txt"), "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP\n");
    EXPECT_EQ(Read(Source() + "/Photos/notes.txt"), "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP\n");
    EXPECT_NE(result.errorText.find("run.sh"), std::string::npos) << result.errorText;
}

// A file system whose times are coarse (whole seconds, two seconds on FAT) shows an edit, or
// a file put in place of another, with the times the copy recorded. The size and the inode
// still tell, and such a file is kept, never deleted.
TEST_F(MoverInterferenceTest, OnCoarseTimesAnEditOrAReplacementWithTheSameTimesIsKept) {
    // Only the originals are seen so (their copies at the target have inodes of their own).
    class CoarseTimes : public platform::linux_desktop::PosixFileOps {
    public:
        int Stat(platform::HeldFolder parent, const std::string& name, FileInfo& info) override {
            const int error = PosixFileOps::Stat(parent, name, info);
            if (error != 0 || !registered) return error;
            if (info.inode == grown) info.size += 1;       // grown in the same tick
            if (info.inode == replaced) info.inode += 1;  // another file, with the same times
            return error;
        }
        bool registered = false;
        std::uint64_t grown = 0, replaced = 0;
    } ops;
    struct stat info {};
    ASSERT_EQ(::stat((Source() + "/run.sh").c_str(), &info), 0);
    ops.grown = info.st_ino;
    ASSERT_EQ(::stat((Source() + "/sparse.img").c_str(), &info), 0);
    ops.replaced = info.st_ino;
    atRegistration = [&] { ops.registered = true; };
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_TRUE(std::filesystem::exists(Source() + "/run.sh"));
    EXPECT_TRUE(std::filesystem::exists(Source() + "/sparse.img"));
    EXPECT_NE(result.errorText.find("run.sh"), std::string::npos) << result.errorText;
    EXPECT_NE(result.errorText.find("sparse.img"), std::string::npos) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(Source() + "/Photos/2019/Summer/beach.jpg"));  // the rest went
}

TEST_F(MoverInterferenceTest, UneditedHardLinksAreDeletedWithTheRest) {
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_TRUE(result.keptSources.empty()) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(Source() + "/notes-link.txt"));
    EXPECT_FALSE(std::filesystem::exists(Source() + "/Photos/notes.txt"));
}

TEST_F(MoverInterferenceTest, ACopyAlteredOrRemovedAtTheTargetKeepsItsOriginal) {
    // Already at the target, identical, then removed during the move.
    std::filesystem::create_directories(Target() + "/Photos");
    std::filesystem::copy_file(Source() + "/Photos/notes.txt", Target() + "/Photos/notes.txt");
    atRegistration = [&] {
        std::filesystem::remove(Target() + "/Photos/notes.txt");
        std::ofstream(Target() + "/run.sh", std::ios::app) << "appended at the target";
    };
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Read(Source() + "/Photos/notes.txt"), "Árvíztűrő tükörfúrógép\n");
    EXPECT_TRUE(std::filesystem::exists(Source() + "/run.sh"));
}

TEST_F(MoverInterferenceTest, AnEntryAlreadyThereIsVerifiedAgain) {
    std::filesystem::create_directories(Target() + "/Photos");
    std::filesystem::copy_file(Source() + "/Photos/notes.txt", Target() + "/Photos/notes.txt");
    FaultyOps ops;
    bool altered = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !altered) {
            altered = true;  // after the plan found it identical, before the verification
            std::fstream file(Target() + "/Photos/notes.txt", std::ios::in | std::ios::out);
            file << "X";
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(MoverInterferenceTest, AnEntryAlreadyThereIsComparedByContentEvenWithoutAskingForIt) {
    std::filesystem::create_directories(Target() + "/Photos");
    std::filesystem::copy_file(Source() + "/Photos/notes.txt", Target() + "/Photos/notes.txt");
    FaultyOps ops;
    bool altered = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !altered) {
            altered = true;  // same size, other bytes
            std::fstream file(Target() + "/Photos/notes.txt", std::ios::in | std::ios::out);
            file << "X";
        }
    };
    MoveRequest request = Request();
    request.verifyContent = false;
    EXPECT_EQ(Move(ops, request).outcome, MoveOutcome::Failed);
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(MoverInterferenceTest, ACopyReplacedBySomeoneElsesFileBeforeTheVerificationFailsTheMove) {
    FaultyOps ops;
    bool replaced = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !replaced) {
            replaced = true;  // the same bytes, but not the file this run wrote
            std::filesystem::copy_file(Target() + "/run.sh", drive / "elsewhere");
            std::filesystem::rename(drive / "elsewhere", Target() + "/run.sh");
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(MoverInterferenceTest, AJournalLeftByAnotherRunIsNeitherOverwrittenNorIgnored) {
    std::filesystem::create_directories(home / ".local/state/trovel");
    { std::ofstream(Request().journal) << "trovel-move 2\nend\n"; }
    ::chmod(Request().journal.c_str(), 0600);
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_NE(result.errorText.find("nincs lezárva"), std::string::npos) << result.errorText;
    EXPECT_EQ(Read(Request().journal), "trovel-move 2\nend\n");
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

TEST_F(MoverInterferenceTest, ACopyCorruptedByOneByteFailsTheMove) {
    FaultyOps ops;
    bool corrupted = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !corrupted && std::filesystem::exists(Target() + "/Photos/2019/Summer/beach.jpg")) {
            corrupted = true;
            std::fstream file(Target() + "/Photos/2019/Summer/beach.jpg", std::ios::in | std::ios::out);
            file.seekp(12345);
            file << 'X';
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_TRUE(corrupted);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_NE(result.errorText.find("eltér"), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

TEST_F(MoverInterferenceTest, AFileThatAppearsAtTheTargetDuringTheCopyIsNeverReplaced) {
    FaultyOps ops;
    bool placed = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "CopyFile" && !placed && std::filesystem::exists(Target())) {
            placed = true;
            for (const char* name : {"/empty", "/run.sh", "/sparse.img", "/név szóközzel.txt"})
                std::ofstream(Target() + name) << "the user's own, written meanwhile";
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
    for (const char* name : {"/empty", "/run.sh", "/sparse.img", "/név szóközzel.txt"})
        EXPECT_EQ(Read(Target() + name), "the user's own, written meanwhile") << name;
}

TEST_F(MoverInterferenceTest, AFileDeletedBeforeItsTurnIsNoReasonToStop) {
    FaultyOps ops;
    bool removed = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "MakeDirectory" && !removed && std::filesystem::exists(Target())) {
            removed = true;
            std::filesystem::remove(Source() + "/Photos/2019/Summer/beach.jpg");
        }
    };
    const MoveResult result = Move(ops);
    ASSERT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_FALSE(std::filesystem::exists(Target() + "/Photos/2019/Summer/beach.jpg"));
    EXPECT_TRUE(std::filesystem::exists(Target() + "/Photos/notes.txt"));
}

TEST_F(MoverInterferenceTest, TheTargetIsOnDiskBeforeItIsRegistered) {
    FaultyOps ops;
    ops.logging = true;
    // A file edited after its copy is copied again during the verification: that copy too is
    // on disk before the registration.
    bool edited = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !edited) {
            edited = true;
            std::ofstream(Source() + "/empty") << "written after its copy";
        }
    };
    atRegistration = [&] { ops.Note("register"); };
    ASSERT_EQ(Move(ops).outcome, MoveOutcome::Moved);
    const auto registered = std::find(ops.log.begin(), ops.log.end(), "register");
    ASSERT_NE(registered, ops.log.end());
    const auto lastSync = std::find(std::make_reverse_iterator(registered), ops.log.rend(), "Sync");
    ASSERT_NE(lastSync, ops.log.rend()) << "no sync before the registration";
    // Nothing is written at the target between that sync and the registration.
    for (auto it = lastSync.base(); it != registered; ++it)
        EXPECT_TRUE(*it != "CopyFile" && *it != "MakeDirectory" && *it != "HardLink" && *it != "MakeSymlink") << *it;
}

// The target renamed away on the drive and another folder made under its name before the
// registration: the path would lead to a folder the run never wrote into, so nothing is
// registered, the source stays whole and the run's copies go wherever the folder went.
TEST_F(MoverInterferenceTest, ATargetPathThatNoLongerLeadsToTheCopyIsNotRegistered) {
    FaultyOps ops;
    bool swapped = false;
    ops.before = [&](const std::string& what, int) {
        if (what == "Sync" && !swapped) {
            swapped = true;
            std::filesystem::rename(Target(), Target() + "-elsewhere");
            std::filesystem::create_directory(Target());
        }
    };
    const MoveResult result = Move(ops);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_TRUE(Manifest(Target() + "-elsewhere").empty());  // the run's copies went with the rollback
}

TEST_F(MoverInterferenceTest, ARollbackRemovesOnlyWhatTheRunMade) {
    // The registration fails after the user put a file of their own where a copy was.
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] {
        // The copy is moved out of the way, not deleted: a deleted one's inode number could be
        // given at once to the user's new file, which the rollback would then take for the copy.
        std::filesystem::rename(Target() + "/run.sh", drive / "moved-away");
        std::ofstream(Target() + "/run.sh") << "the user's own, put here meanwhile";
        return false;
    };
    platform::linux_desktop::PosixFileOps ops;
    const MoveResult result = relocation::MoveFolderContent(ops, Request(), callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    EXPECT_EQ(Read(Target() + "/run.sh"), "the user's own, put here meanwhile");
    EXPECT_FALSE(std::filesystem::exists(Target() + "/Photos"));  // what the run made is gone
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(MoverInterferenceTest, AFailedRemoveDuringRollbackKeepsTheJournalForTheNextStart) {
    // The registration fails, then every removal of the rollback does.
    struct Failing : public platform::linux_desktop::PosixFileOps {
        bool failRemoves = false;
        int Remove(platform::HeldFolder p, const std::string& n, FileKind k) override {
            return failRemoves ? EROFS : PosixFileOps::Remove(p, n, k);
        }
    } failing;
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] {
        failing.failRemoves = true;
        return false;
    };
    const MoveResult result = relocation::MoveFolderContent(failing, Request(), callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    EXPECT_NE(result.errorText.find("következő áthelyezése előtt"), std::string::npos) << result.errorText;
    EXPECT_TRUE(std::filesystem::exists(Request().journal));
    EXPECT_EQ(Manifest(Source()), before);
    // The next start: the recovery removes what the run left.
    platform::linux_desktop::PosixFileOps healthy;
    relocation::RecoveryContext context;
    context.registeredPaths = {Source()};
    const MoveResult recovered = relocation::RecoverInterruptedMove(healthy, Request().journal, context);
    EXPECT_EQ(recovered.outcome, MoveOutcome::Failed) << recovered.errorText;
    EXPECT_FALSE(std::filesystem::exists(Request().journal));
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
    EXPECT_EQ(Manifest(Source()), before);
}

}  // namespace
}  // namespace trovel::testing
