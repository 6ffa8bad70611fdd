// Faults at every step of a move, and kills at points along it: afterwards either nothing
// has changed (source whole, registry as it was, nothing new at the target) or the folder
// is relocated whole. No file is ever lost.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;
using relocation::MoveRequest;
using relocation::MoveResult;

class MoverFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeVariedTree(Source());
        original = Manifest(Source());
        std::filesystem::create_directories(drive / "existing");
        std::ofstream(drive / "existing/theirs") << "not ours";
        driveBefore = Manifest(drive.path());
        WriteRegistry(Source());
    }
    // The same tree again at the source, nothing at the target, the registry at the source.
    void Reset() {
        std::filesystem::remove_all(Source());
        std::filesystem::remove_all(drive / "new");
        MakeVariedTree(Source());
        original = Manifest(Source());
        WriteRegistry(Source());
    }
    std::string Source() const { return home / "Music"; }
    std::string Target() const { return drive / "new/Music"; }
    std::string Journal() const { return home / "state/move-MUSIC.journal"; }
    void WriteRegistry(const std::string& path) const { std::ofstream(home / "registry") << path; }
    std::string Registry() const {
        std::ifstream in(home / "registry");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    MoveRequest Request() const {
        MoveRequest request;
        request.source = Source();
        request.target = Target();
        request.deleteSource = true;
        request.exclusions = {Source() + "/Nested/Inner"};
        request.journal = Journal();
        request.verifyContent = true;
        return request;
    }
    MoveResult Move(platform::FileOps& ops) {
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] {
            WriteRegistry(Target());
            return true;
        };
        return relocation::MoveFolderContent(ops, Request(), callbacks);
    }
    MoveResult Recover(platform::FileOps& ops) {
        relocation::RecoveryContext context;
        context.registeredPaths = {Registry()};
        context.knownSources = {Source()};  // its default place, as the backend tells
        return relocation::RecoverInterruptedMove(ops, Journal(), context);
    }

    // Either nothing changed, or the folder is relocated: every file of the original is at the
    // target (the excluded one at the source), and whatever is left at the source is whole.
    void ExpectNothingLost(const std::string& when) {
        auto driveNow = Manifest(drive.path());
        if (Registry() == Source()) {
            EXPECT_EQ(Manifest(Source()), original) << when;
            EXPECT_EQ(driveNow, driveBefore) << when;
            return;
        }
        ASSERT_EQ(Registry(), Target()) << when;
        const auto moved = Manifest(Target());
        const auto left = Manifest(Source());
        for (const auto& [path, line] : original) {
            if (path.starts_with("/Nested/Inner")) {
                EXPECT_EQ(left.at(path), line) << when << " " << path;
                continue;
            }
            if (line.starts_with(std::to_string(S_IFDIR))) continue;  // folder times change as they empty
            // Hard-linked names count their links, which change as the old names go.
            const auto withoutGroup = [](std::string text) {
                if (const auto at = text.find(" link-group "); at != std::string::npos)
                    text.erase(at, text.find(' ', at + 12) - at);
                return text;
            };
            const auto same = [&](const std::string& found) { return withoutGroup(found) == withoutGroup(line); };
            ASSERT_TRUE(moved.contains(path)) << when << " " << path;
            EXPECT_TRUE(same(moved.at(path))) << when << " " << path;
            if (left.contains(path)) {
                EXPECT_TRUE(same(left.at(path))) << when << " " << path;
            }
        }
    }

    // How many file operations the same move takes on a tree of its own.
    int StepsOfAWholeMove() {
        TempDir scratchHome, scratchDrive;
        FaultyOps counting;
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [] { return true; };
        MoveRequest request = Request();
        request.source = scratchHome / "Music";
        request.target = scratchDrive / "new/Music";
        request.exclusions = {request.source + "/Nested/Inner"};
        request.journal = scratchHome / "state/journal";
        MakeVariedTree(request.source);
        const MoveResult result = relocation::MoveFolderContent(counting, request, callbacks);
        EXPECT_EQ(result.outcome, MoveOutcome::Moved) << result.errorText;
        return counting.calls.load();
    }

    TempDir home;
    TempDir drive;
    std::map<std::string, std::string> original;
    std::map<std::string, std::string> driveBefore;
};

TEST_F(MoverFaultsTest, AFaultAtAnyStepLosesNothing) {
    const int steps = StepsOfAWholeMove();
    ASSERT_GT(steps, 50);
    const int errors[] = {ENOSPC, EIO, EACCES, EROFS};
    for (int step = 1; step <= steps; ++step) {
        FaultyOps faulty;
        faulty.failAt = step;
        faulty.error = errors[step % 4];
        const MoveResult result = Move(faulty);
        const std::string when = "fault " + std::to_string(faulty.error) + " at step " + std::to_string(step) + ": " +
                                 result.errorText;
        ExpectNothingLost(when);
        if (result.Succeeded()) {
            EXPECT_EQ(Registry(), Target()) << when;
        } else {
            EXPECT_EQ(Registry(), Source()) << when;
            EXPECT_FALSE(result.errorText.empty()) << when;
        }
        // Back to the start for the next step: a journal left by a fault is recovered first.
        platform::linux_desktop::PosixFileOps ops;
        Recover(ops);
        ExpectNothingLost(when + " (after recovery)");
        if (HasFailure()) return;
        Reset();
    }
}

TEST_F(MoverFaultsTest, AKilledRunIsUndoneOrFinishedAtTheNextStart) {
    const int steps = StepsOfAWholeMove();
    int killed = 0;
    for (int point = 1; point <= 20; ++point) {
        const int step = std::max(1, steps * point / 21);
        const pid_t child = ::fork();
        if (child == 0) {
            FaultyOps dying;
            dying.failAt = step;
            dying.kill = true;
            Move(dying);
            ::_exit(0);  // the kill came too late: the move finished
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ++killed;
        const std::string when = "killed at step " + std::to_string(step) + " of " + std::to_string(steps);
        platform::linux_desktop::PosixFileOps ops;
        Recover(ops);
        ExpectNothingLost(when);
        EXPECT_FALSE(std::filesystem::exists(Journal())) << when;
        if (Registry() == Source()) {
            EXPECT_EQ(Manifest(drive.path()), driveBefore) << when;
        }
        if (HasFailure()) return;
        Reset();
    }
    EXPECT_EQ(killed, 20);  // every point was reached before the move ended
}

}  // namespace
}  // namespace trovel::testing
