// A relocation killed halfway, on the real Linux layer: its journal makes the folder
// interrupted, and RecoverRedirect undoes it, finishes it, sets an untrusted journal aside,
// or leaves it to the run that holds the folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "mover/move_plan.h"
#include "platform/known_folder_ids.h"
#include "platform/linux/known_folders.h"
#include "platform/linux/run_lock.h"
#include "platform/linux/safe_file.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

class InterruptedRunTest : public ::testing::Test {
protected:
    InterruptedRunTest() {
        home.Write("etc-xdg/user-dirs.defaults", "MUSIC=Music\nDOCUMENTS=Documents\n");
        home.Write("Music/song.mp3", "la la la");
        home.Write("Music/Album/track.flac", "flac");
        home.MakeDir("drive");
        Register(home / "Music");
    }
    void Register(const std::string& music) {
        home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"" + music + "\"\n");
    }
    // What a run of Music to the drive leaves behind when it is killed in `phase`: the
    // content copied so far, and its journal, the user's own private file.
    void KillARunIn(const std::string& phase) {
        home.Write("drive/Music/song.mp3", "la la la");
        home.Write("drive/Music/Album/track.flac", "flac");
        relocation::Journal journal;
        journal.phase = phase;
        journal.source = home / "Music";
        journal.target = home / "drive/Music";
        journal.driveRoot = home / "drive";
        journal.deleteSource = true;
        journal.createdAncestors = {home / "drive/Music"};
        WriteJournal("MUSIC", relocation::FormatJournal(journal));
    }
    void WriteJournal(const std::string& key, const std::string& text) {
        std::filesystem::create_directories(State());
        ::chmod(State().c_str(), 0700);
        const std::string path = State() + "/move-" + key + ".journal";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    std::string State() const { return home / ".local/state/trovel"; }
    std::string Journal() const { return State() + "/move-MUSIC.journal"; }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
    std::string Registry() { return ReadWholeFile(home / ".config/user-dirs.dirs").value_or("<none>"); }

    testing::TempDir home;
    Environment env = testing::ScratchEnvironment(home, home / "etc-xdg");
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element; }};
};

TEST_F(InterruptedRunTest, NoJournalNoInterruptedFolderAndNothingToRecover) {
    EXPECT_TRUE(manager.InterruptedRedirects().empty());
    RecoveryOutcome outcome = RecoveryOutcome::Failed;
    std::string report;
    EXPECT_EQ(manager.RecoverRedirect(FOLDERID_Music, outcome, report), kOk);
    EXPECT_EQ(outcome, RecoveryOutcome::Nothing);
    EXPECT_EQ(report, "Nincs megszakadt áthelyezés, nincs teendő: " + (home / "Music"));
}

TEST_F(InterruptedRunTest, ARunKilledWhileCopyingIsInterruptedUntilRecoverUndoesIt) {
    KillARunIn("copying");
    // A journal set aside earlier is no interrupted run.
    WriteJournal("DOCUMENTS.journal.set-aside-7", "whatever");
    const std::string registry = Registry();
    EXPECT_EQ(manager.InterruptedRedirects(), std::vector<KnownFolderId>{FOLDERID_Music});
    RecoveryOutcome outcome = RecoveryOutcome::Failed;
    std::string report;
    EXPECT_EQ(manager.RecoverRedirect(FOLDERID_Music, outcome, report), kOk);
    EXPECT_EQ(outcome, RecoveryOutcome::Undone);
    EXPECT_EQ(report, "A megszakadt áthelyezés visszavonva, a mappa a régi helyén maradt: " + (home / "Music"));
    EXPECT_FALSE(Exists(home / "drive/Music"));
    EXPECT_EQ(ReadWholeFile(home / "Music/song.mp3"), "la la la");
    EXPECT_EQ(ReadWholeFile(home / "Music/Album/track.flac"), "flac");
    EXPECT_EQ(Registry(), registry);
    EXPECT_FALSE(Exists(Journal()));
    EXPECT_TRUE(manager.InterruptedRedirects().empty());
}

TEST_F(InterruptedRunTest, ARunKilledAfterRegisteringIsFinished) {
    KillARunIn("deleting");
    Register(home / "drive/Music");
    RecoveryOutcome outcome = RecoveryOutcome::Failed;
    std::string report;
    EXPECT_EQ(manager.RecoverRedirect(FOLDERID_Music, outcome, report), kOk);
    EXPECT_EQ(outcome, RecoveryOutcome::Finished);
    EXPECT_NE(report.find("befejezve"), std::string::npos) << report;
    EXPECT_FALSE(Exists(home / "Music/song.mp3"));
    EXPECT_EQ(ReadWholeFile(home / "drive/Music/song.mp3"), "la la la");
    EXPECT_EQ(ReadWholeFile(home / "drive/Music/Album/track.flac"), "flac");
    EXPECT_FALSE(Exists(Journal()));
}

TEST_F(InterruptedRunTest, AJournalOfAnotherPlaceIsSetAsideAndNothingIsTouched) {
    home.Write("Elsewhere/keep.txt", "mine");
    relocation::Journal journal;
    journal.phase = "copying";
    journal.source = home / "Elsewhere";
    journal.target = home / "drive/Music";
    journal.driveRoot = home / "drive";
    WriteJournal("MUSIC", relocation::FormatJournal(journal));
    RecoveryOutcome outcome = RecoveryOutcome::Failed;
    std::string report;
    EXPECT_EQ(manager.RecoverRedirect(FOLDERID_Music, outcome, report), kFail);
    EXPECT_EQ(outcome, RecoveryOutcome::SetAside);
    EXPECT_NE(report.find("A naplót félretettem"), std::string::npos) << report;
    EXPECT_FALSE(Exists(Journal()));
    EXPECT_EQ(ReadWholeFile(home / "Elsewhere/keep.txt"), "mine");
    EXPECT_TRUE(manager.InterruptedRedirects().empty());
}

TEST_F(InterruptedRunTest, AFolderAnotherRunHoldsIsLeftToThatRun) {
    KillARunIn("copying");
    const RunLock other(State(), "MUSIC");
    ASSERT_TRUE(other.Held());
    RecoveryOutcome outcome = RecoveryOutcome::Failed;
    std::string report;
    EXPECT_EQ(manager.RecoverRedirect(FOLDERID_Music, outcome, report), kBusy);
    EXPECT_EQ(outcome, RecoveryOutcome::Busy);
    EXPECT_EQ(report, "Ennek a mappának az áthelyezése már folyamatban van: " + (home / "Music"));
    EXPECT_TRUE(Exists(Journal()));
    EXPECT_TRUE(Exists(home / "drive/Music/song.mp3"));
}


TEST_F(InterruptedRunTest, ARestoreWithContentOfAFolderAtItsDefaultLeavesTheEmptyFolderRegistered) {
    std::filesystem::remove_all(home / "Music");
    std::filesystem::create_directories(home / "Music");
    std::string error;
    EXPECT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, home / "Music", {}, error), kOk) << error;
    EXPECT_TRUE(std::filesystem::is_directory(home / "Music"));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
