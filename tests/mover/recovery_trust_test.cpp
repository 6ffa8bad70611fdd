// A journal steers the recovery only when it is the user's own record of a run of this folder.
// A forged or foreign one is set aside, never acted on; a crash followed by a restore or an
// edit leaves every file somewhere; nothing is removed by the look of its name.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "mover/move_plan.h"
#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRequest;
using relocation::MoveResult;

class RecoveryTrustTest : public ::testing::Test {
protected:
    RecoveryTrustTest() {
        MakeVariedTree(Source());
        before = Manifest(Source());
        std::filesystem::create_directories(home / "state");
        ::chmod((home / "state").c_str(), 0700);
    }
    std::string Source() const { return home / "Music"; }
    std::string Target() const { return drive / "home/al/Music"; }
    std::string JournalPath() const { return home / "state/move-MUSIC.journal"; }
    MoveRequest Request() const {
        MoveRequest request;
        request.source = Source();
        request.target = Target();
        request.driveRoot = drive.path();
        request.deleteSource = true;
        request.journal = JournalPath();
        return request;
    }
    void WriteJournal(const relocation::Journal& journal, mode_t mode = 0600) {
        {
            std::ofstream out(JournalPath());
            out << relocation::FormatJournal(journal);
        }
        ASSERT_EQ(::chmod(JournalPath().c_str(), mode), 0);
    }
    relocation::Journal JournalOf(const std::string& source, const std::string& target) const {
        relocation::Journal journal;
        journal.phase = "copying";
        journal.source = source;
        journal.target = target;
        journal.driveRoot = drive.path();
        journal.deleteSource = true;
        journal.runId = 4242;
        return journal;
    }
    MoveResult Recover(std::vector<std::string> registered, std::function<bool(const std::string&)> offered = {}) {
        platform::linux_desktop::PosixFileOps ops;
        relocation::RecoveryContext context;
        context.registeredPaths = std::move(registered);
        context.knownSources = {Source()};  // its default place, as the backend tells
        context.onOfferedDrive = std::move(offered);
        return relocation::RecoverInterruptedMove(ops, JournalPath(), context);
    }
    bool SetAside() const {
        for (const auto& entry : std::filesystem::directory_iterator(home / "state"))
            if (entry.path().filename().string().starts_with("move-MUSIC.journal.set-aside-")) return true;
        return false;
    }
    // Runs the move in a child that is killed at the n-th file operation named `what`.
    void KillAt(const std::string& what, int nth, const std::function<void()>& atRegistration = {}) {
        const pid_t child = ::fork();
        if (child == 0) {
            FaultyOps dying;
            int seen = 0;
            dying.before = [&](const std::string& op, int) {
                if (op == what && ++seen == nth) ::raise(SIGKILL);
            };
            relocation::MoveCallbacks callbacks;
            callbacks.registerTarget = [&] {
                std::ofstream(home / "registry") << Target();
                if (atRegistration) atRegistration();
                return true;
            };
            relocation::MoveFolderContent(dying, Request(), callbacks);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the move ended before the kill";
    }
    std::string Registry() const {
        std::ifstream in(home / "registry");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempDir home, drive, outside;
    std::map<std::string, std::string> before;
};

TEST_F(RecoveryTrustTest, AForgedJournalNamingAPlaceOffTheDrivesIsSetAsideAndNothingIsRemoved) {
    // The folder holds a copy of a file from elsewhere; the forged journal names that place as
    // the run's target, as if the run had made the file there.
    outside.Write("Photos/notes.txt", "Árvíztűrő tükörfúrógép\n");
    const auto outsideBefore = Manifest(outside.path());
    relocation::Journal forged = JournalOf(Source(), outside.path());
    forged.driveRoot = "/";
    WriteJournal(forged);
    const MoveResult result = Recover({Source()}, [&](const std::string& path) { return path.starts_with(drive.path()); });
    EXPECT_EQ(result.outcome, MoveOutcome::Refused);
    EXPECT_NE(result.errorText.find("félretettem"), std::string::npos) << result.errorText;
    EXPECT_TRUE(SetAside());
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
    EXPECT_EQ(Manifest(outside.path()), outsideBefore);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(RecoveryTrustTest, AJournalNamingASourceThisFolderNeverHadDeletesNothingThere) {
    // As if a finished move had come from elsewhere into the registered folder: the files
    // there that match the registered folder's would be deleted.
    outside.Write("Photos/notes.txt", "Árvíztűrő tükörfúrógép\n");
    const auto outsideBefore = Manifest(outside.path());
    relocation::Journal forged = JournalOf(outside.path(), Source());
    forged.driveRoot = "/";
    forged.phase = "deleting";
    WriteJournal(forged);
    EXPECT_EQ(Recover({Source()}).outcome, MoveOutcome::Refused);
    EXPECT_TRUE(SetAside());
    EXPECT_EQ(Manifest(outside.path()), outsideBefore);
}

TEST_F(RecoveryTrustTest, AJournalOfAnotherFolderOrNotPrivateOrALinkIsNeverActedOn) {
    outside.Write("Music/notes.txt", "x");
    // Names a source this folder never was.
    WriteJournal(JournalOf(outside / "Music", Target()));
    EXPECT_EQ(Recover({Source()}).outcome, MoveOutcome::Refused);
    EXPECT_TRUE(std::filesystem::exists(outside / "Music/notes.txt"));
    std::filesystem::remove_all(home / "state");
    std::filesystem::create_directories(home / "state");
    // Readable and writable by others: anyone could have written it.
    WriteJournal(JournalOf(Source(), Target()), 0666);
    EXPECT_EQ(Recover({Source()}).outcome, MoveOutcome::Refused);
    EXPECT_TRUE(SetAside());
    std::filesystem::remove_all(home / "state");
    std::filesystem::create_directories(home / "state");
    // A link to a journal kept elsewhere.
    {
        std::ofstream out(outside / "journal");
        out << relocation::FormatJournal(JournalOf(Source(), Target()));
    }
    ::chmod((outside / "journal").c_str(), 0600);
    std::filesystem::create_symlink(outside / "journal", JournalPath());
    EXPECT_EQ(Recover({Source()}).outcome, MoveOutcome::Refused);
    EXPECT_TRUE(std::filesystem::exists(outside / "journal"));
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(RecoveryTrustTest, TheUsersOwnFilesAtTheTargetAreNeverRemovedByTheLookOfTheirNames) {
    drive.Write("home/al/Music/.trovel-mine.part", "the user's own");
    drive.Write("home/al/Music/.trovel-4242-1.part", "the user's too");
    KillAt("CopyFile", 5);
    const MoveResult result = Recover({Source()});
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_TRUE(std::filesystem::exists(Target() + "/.trovel-mine.part"));
    EXPECT_TRUE(std::filesystem::exists(Target() + "/.trovel-4242-1.part"));
    EXPECT_EQ(Manifest(Source()), before);
    // What the run itself made is gone, its temporary files among them.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Target())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == ".trovel-mine.part" || name == ".trovel-4242-1.part") << entry.path();
    }
}

TEST_F(RecoveryTrustTest, AFileTheRunMadeThatWasEditedSinceStaysAtTheTarget) {
    KillAt("CopyFile", 8);
    std::string edited;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Target()))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with(".trovel-") &&
            entry.file_size() > 0) {
            edited = entry.path().string();
            break;
        }
    ASSERT_FALSE(edited.empty());
    { std::fstream file(edited, std::ios::in | std::ios::out); file << "Y"; }  // same size, other bytes
    const MoveResult result = Recover({Source()});
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_TRUE(std::filesystem::exists(edited));
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(RecoveryTrustTest, AKillJustAfterRegistrationWithATwinRemovedLosesNothing) {
    // Killed at the first removal of the delete phase, with one copy removed at the target
    // and one altered there after the crash.
    KillAt("Remove", 1);
    ASSERT_EQ(Registry(), Target());
    std::filesystem::remove(Target() + "/Photos/notes.txt");
    std::ofstream(Target() + "/run.sh", std::ios::app) << "edited at the new place";
    const MoveResult result = Recover({Target()});
    EXPECT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    // Their originals stay where they were; everything else is at the target only.
    EXPECT_TRUE(std::filesystem::exists(Source() + "/Photos/notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(Source() + "/run.sh"));
    EXPECT_TRUE(std::filesystem::exists(Target() + "/Photos/2019/Summer/beach.jpg"));
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
}

TEST_F(RecoveryTrustTest, AKillInsideTheRegistrationIsUndoneWhenTheRegistryNeverChanged) {
    KillAt("WriteRecord", 2);  // the journal's "registering" record, before the registry is written
    const MoveResult result = Recover({Source()});
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(Manifest(Source()), before);
    EXPECT_FALSE(std::filesystem::exists(drive / "home"));
}

TEST_F(RecoveryTrustTest, AfterARestoreTheRecoveryDeletesNothingFromEitherPlace) {
    KillAt("Remove", 3);
    // The user put the folder back at a third place before the next start.
    const std::string third = home / "Zene";
    std::filesystem::create_directories(third);
    const auto sourceLeft = Manifest(Source());
    const auto targetLeft = Manifest(Target());
    const MoveResult result = Recover({third});
    EXPECT_EQ(result.outcome, MoveOutcome::Refused) << result.errorText;
    EXPECT_TRUE(SetAside());
    EXPECT_EQ(Manifest(Source()), sourceLeft);
    EXPECT_EQ(Manifest(Target()), targetLeft);
}


// A restore carries the content from the drive back to the default place, in the home: its
// journal names the default place as target. Finishing it deletes only on an offered drive.
class RestoreJournalTest : public RecoveryTrustTest {
protected:
    RestoreJournalTest() {
        std::filesystem::create_directories(std::filesystem::path(Target()).parent_path());
        EXPECT_EQ(std::system(("cp -a '" + Source() + "' '" + Target() + "'").c_str()), 0);
        relocation::Journal journal = JournalOf(Target(), Source());
        journal.driveRoot = home.path();  // a restore walks from the home
        journal.phase = "deleting";
        WriteJournal(journal);
    }
    MoveResult RecoverRestore(bool driveOffered) {
        platform::linux_desktop::PosixFileOps ops;
        relocation::RecoveryContext context;
        context.registeredPaths = {Source()};  // the restore had registered the default place
        context.knownSources = {Source()};
        context.defaultPaths = {Source()};
        context.onOfferedDrive = [&](const std::string& path) { return driveOffered && path.starts_with(drive.path()); };
        return relocation::RecoverInterruptedMove(ops, JournalPath(), context);
    }
};

TEST_F(RestoreJournalTest, ARestoreKilledWhileDeletingIsFinishedOnTheOfferedDrive) {
    const MoveResult result = RecoverRestore(true);
    EXPECT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
    EXPECT_EQ(Manifest(Source()), before);
    std::size_t left = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Target()))
        left += entry.is_directory() ? 0 : 1;
    EXPECT_EQ(left, 0u);
    EXPECT_FALSE(std::filesystem::exists(JournalPath()));
}

TEST_F(RestoreJournalTest, ARestoreJournalWhoseSourceIsOffTheOfferedDrivesIsSetAsideAndDeletesNothing) {
    const auto drivePlace = Manifest(Target());
    const MoveResult result = RecoverRestore(false);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused) << result.errorText;
    EXPECT_TRUE(SetAside());
    EXPECT_EQ(Manifest(Target()), drivePlace);
    EXPECT_EQ(Manifest(Source()), before);
}

TEST_F(RestoreJournalTest, AJournalWhoseTargetIsNoDefaultPlaceNorOnADriveIsSetAside) {
    // The same journal, but the folder's default place is elsewhere: its target is just a
    // place in the home, which no run of this folder writes to.
    platform::linux_desktop::PosixFileOps ops;
    relocation::RecoveryContext context;
    context.registeredPaths = {Source()};
    context.knownSources = {Source()};
    context.defaultPaths = {home / "Zene"};
    context.onOfferedDrive = [&](const std::string& path) { return path.starts_with(drive.path()); };
    const auto drivePlace = Manifest(Target());
    EXPECT_EQ(relocation::RecoverInterruptedMove(ops, JournalPath(), context).outcome, MoveOutcome::Refused);
    EXPECT_TRUE(SetAside());
    EXPECT_EQ(Manifest(Target()), drivePlace);
}

}  // namespace
}  // namespace trovel::testing
