// Real faults of a real target: a small loop-mounted ext4 that fills up, goes read-only or
// is unmounted while the move runs. Mounting needs root; elsewhere the tests say so and skip.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using relocation::MoveOutcome;

// Free space as plenty, so that the move meets the full disk itself, not the check before it.
class Optimist : public platform::linux_desktop::PosixFileOps {
public:
    int FreeSpace(platform::HeldFolder, std::uint64_t& bytes) override {
        bytes = 1ull << 40;
        return 0;
    }
};

class MoverRealFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
        const std::string image = work / "target.ext4";
        std::filesystem::create_directories(Mount());
        if (std::system(("truncate -s 16M '" + image + "' && mkfs.ext4 -q '" + image + "' && mount -o loop,errors=remount-ro '" +
                         image + "' '" + Mount() + "' 2>/dev/null")
                            .c_str()) != 0)
            GTEST_SKIP() << "this machine does not permit loop mounts";
        mounted = true;
        Tracks(2);  // 8 MiB: room enough on the 16 MiB target
        MakeVariedTree(Source());
        sourceBefore = Manifest(Source());
        targetBefore = Manifest(Mount());
    }
    void TearDown() override {
        if (mounted) std::system(("umount -l '" + Mount() + "' 2>/dev/null").c_str());
    }
    // Files of 4 MiB that do not compress.
    void Tracks(int count) {
        std::mt19937_64 random(7);
        for (int n = 0; n < count; ++n) {
            std::string data(4 << 20, '\0');
            for (char& c : data) c = static_cast<char>(random());
            work.Write("Music/album/track" + std::to_string(n), data);
        }
    }
    // The file system's own emergency: an error that makes it remount itself read-only.
    void FailTheTarget() {
        const std::string device = std::filesystem::read_symlink("/sys/dev/block/" + DeviceNumber()).filename();
        std::ofstream("/sys/fs/ext4/" + device + "/trigger_fs_error") << "1";
    }
    std::string DeviceNumber() const {
        struct stat info {};
        ::stat(Mount().c_str(), &info);
        return std::to_string(major(info.st_dev)) + ":" + std::to_string(minor(info.st_dev));
    }
    std::string Source() const { return work / "Music"; }
    std::string Mount() const { return work / "mnt"; }
    relocation::MoveRequest Request() const {
        relocation::MoveRequest request;
        request.source = Source();
        request.target = Mount() + "/home/al/Music";
        request.driveRoot = Mount();
        request.deleteSource = true;
        request.journal = work / "state/journal";
        return request;
    }
    relocation::MoveResult Move(const std::function<void()>& midway) {
        Optimist ops;
        relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [&] { return ++registrations > 0; };
        std::atomic<bool> once{false};
        callbacks.progress = [&](std::uint64_t done, std::uint64_t, std::uint64_t, std::uint64_t) {
            if (midway && done > (2u << 20) && !once.exchange(true)) midway();
        };
        return relocation::MoveFolderContent(ops, Request(), callbacks);
    }

    TempDir work;
    bool mounted = false;
    int registrations = 0;
    std::map<std::string, std::string> sourceBefore, targetBefore;
};

TEST_F(MoverRealFaultsTest, AFullDiskUndoesTheMove) {
    Tracks(6);  // 24 MiB now: more than the target holds
    sourceBefore = Manifest(Source());
    const auto result = Move({});
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    EXPECT_NE(result.errorText.find(std::strerror(ENOSPC)), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    EXPECT_EQ(Manifest(Mount()), targetBefore);
    EXPECT_FALSE(std::filesystem::exists(work / "state/journal"));
}

TEST_F(MoverRealFaultsTest, ATargetGoneReadOnlyIsCleanedUpByTheNextRun) {
    const auto result = Move([&] { FailTheTarget(); });
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_NE(result.errorText.find(std::strerror(EROFS)), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    // What could not be removed from the read-only target goes once it is writable again.
    const std::string image = work / "target.ext4";
    ASSERT_EQ(std::system(("umount '" + Mount() + "' && e2fsck -fy '" + image + "' >/dev/null 2>&1; mount -o loop '" +
                           image + "' '" + Mount() + "'")
                              .c_str()),
              0);
    platform::linux_desktop::PosixFileOps ops;
    relocation::RecoveryContext context;
    context.registeredPaths = {Source()};
    relocation::RecoverInterruptedMove(ops, work / "state/journal", context);
    EXPECT_EQ(Manifest(Mount()), targetBefore);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    EXPECT_FALSE(std::filesystem::exists(work / "state/journal"));
}

TEST_F(MoverRealFaultsTest, ATargetUnmountedMidwayLeavesTheSourceWhole) {
    const auto result = Move([&] { std::system(("umount -l '" + Mount() + "'").c_str()); });
    mounted = false;
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    EXPECT_TRUE(Manifest(Mount()).empty());  // nothing was written into the folder below the mount
}

// The drive answers a read with an error partway through a file: the move fails and leaves
// the source whole. The mover runs in a process of its own under strace, which fails the
// third read-like call of each kind (copy_file_range in the kernel, or pread when it falls
// back to reading).
TEST_F(MoverRealFaultsTest, AReadErrorPartwayThroughAFileFailsTheMove) {
    if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null "
                                "-e inject=copy_file_range,pread64:error=EIO:when=3 '" TROVEL_MOVE_ONCE "' '" +
                                Source() + "' '" + Mount() + "/home/al/Music' '" + Mount() + "' '" +
                                (work / "state/journal") + "' >/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(work / "state/journal.registered"));
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    EXPECT_EQ(Manifest(Mount()), targetBefore);
    // Without the fault the same move goes through: the fault, not the setting, stopped it.
    const std::string plain = std::string("'" TROVEL_MOVE_ONCE "' '") + Source() + "' '" + Mount() + "/home/al/Music' '" +
                              Mount() + "' '" + (work / "state/journal") + "' >/dev/null";
    EXPECT_EQ(std::system(plain.c_str()), 0);
}

// The drive unmounted and its device mounted again at the same place while the move runs:
// the same files under the same path, but not the mount that was chosen. The run says so
// instead of registering.
TEST_F(MoverRealFaultsTest, TheDriveMountedAgainMidwayIsNotTheOneChosenAndNothingIsRegistered) {
    FILE* pipe = ::popen(("findmnt -n -o SOURCE --target '" + Mount() + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[256] = {};
    const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
    ::pclose(pipe);
    ASSERT_TRUE(read);
    std::string device = buffer;
    while (!device.empty() && device.back() == '\n') device.pop_back();
    const auto result = Move([&] {
        std::system(("umount -l '" + Mount() + "' && mount '" + device + "' '" + Mount() + "'").c_str());
    });
    EXPECT_EQ(result.outcome, MoveOutcome::Failed) << result.errorText;
    EXPECT_NE(result.errorText.find("A meghajtót közben leválasztották"), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
}

TEST_F(MoverRealFaultsTest, ADriveUnmountedAfterItWasChosenIsRefusedBeforeAnythingIsWritten) {
    platform::linux_desktop::PosixFileOps ops;
    platform::HeldFolder root;
    platform::FileInfo chosen;
    ASSERT_EQ(ops.OpenPath(Mount(), root, chosen), 0);
    ops.Close(root);
    ASSERT_EQ(std::system(("umount -l '" + Mount() + "'").c_str()), 0);
    mounted = false;
    relocation::MoveRequest request = Request();
    request.drive = {chosen.device, chosen.mountId};
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] { return ++registrations > 0; };
    const auto result = relocation::MoveFolderContent(ops, request, callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(Manifest(Source()), sourceBefore);
    EXPECT_TRUE(Manifest(Mount()).empty());  // nothing in the bare mount point on the other disk
}

TEST_F(MoverRealFaultsTest, AnotherFilesystemOnTheWayToTheTargetIsRefused) {
    std::filesystem::create_directories(Mount() + "/home");
    ASSERT_EQ(std::system(("mount -t tmpfs -o size=1M none '" + Mount() + "/home'").c_str()), 0);
    Optimist ops;
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] { return ++registrations > 0; };
    const auto result = relocation::MoveFolderContent(ops, Request(), callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused) << result.errorText;
    EXPECT_NE(result.errorText.find("másik fájlrendszer"), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_TRUE(std::filesystem::is_empty(Mount() + "/home"));
    std::system(("umount '" + Mount() + "/home'").c_str());
    EXPECT_EQ(Manifest(Source()), sourceBefore);
}

TEST_F(MoverRealFaultsTest, AFilesystemMountedInsideTheFolderIsRefused) {
    const std::string inner = Source() + "/album/mounted";
    std::filesystem::create_directories(inner);
    ASSERT_EQ(std::system(("mount -t tmpfs -o size=1M none '" + inner + "'").c_str()), 0);
    std::ofstream(inner + "/elsewhere.txt") << "on another filesystem";
    Optimist ops;
    relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] { return ++registrations > 0; };
    const auto result = relocation::MoveFolderContent(ops, Request(), callbacks);
    EXPECT_EQ(result.outcome, MoveOutcome::Refused) << result.errorText;
    EXPECT_NE(result.errorText.find("másik fájlrendszer"), std::string::npos) << result.errorText;
    EXPECT_EQ(registrations, 0);
    EXPECT_TRUE(std::filesystem::exists(inner + "/elsewhere.txt"));
    EXPECT_EQ(Manifest(Mount()), targetBefore);
    std::system(("umount '" + inner + "'").c_str());
}

}  // namespace
}  // namespace trovel::testing
