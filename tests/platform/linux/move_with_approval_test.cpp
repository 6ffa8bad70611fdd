// A relocation by the user nobody onto a drive only root can write: the drive is offered with
// a note, and the command line asks an administrator once. The stand-in for pkexec sends the
// request to this test's root process, which runs the real helper as pkexec would.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "loop_drive.h"
#include "platform/linux/drive_preparation.h"
#include "platform/linux/linux_platform.h"
#include "scratch_home.h"

#ifndef TROVEL_PREPARE_TARGET
#define TROVEL_PREPARE_TARGET ""
#endif

namespace trovel::testing {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

void SendAll(int fd, const std::string& text) {
    const std::string framed = text + '\0';
    for (std::size_t at = 0; at < framed.size();) {
        const ssize_t sent = ::write(fd, framed.data() + at, framed.size() - at);
        if (sent <= 0) return;
        at += static_cast<std::size_t>(sent);
    }
}

// One frame, up to its '\0'; false at the end of the stream.
bool ReceiveOne(int fd, std::string& text) {
    text.clear();
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\0') return true;
        text += c;
    }
    return false;
}

class MoveWithApprovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
        if (std::system("command -v mkfs.ext4 >/dev/null && command -v unshare >/dev/null") != 0)
            GTEST_SKIP() << "mkfs.ext4 or unshare is missing";
        drive = std::make_unique<LoopDrive>("16M");
        if (!drive->mounted) GTEST_SKIP() << "this machine does not permit loop mounts";
        root = drive->point + "/";
        // The drive's folder and its fstab within reach of nobody, as /mnt and /etc/fstab are.
        ASSERT_EQ(::chmod(fs::path(drive->point).parent_path().c_str(), 0755), 0);
        home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
        home.Write("Music/song.ogg", "la la la");
        ASSERT_EQ(std::system(("chown -R 65534:65534 '" + home.path() + "' && chown 65534 '" + logs.path() + "'").c_str()), 0);
    }
    // Runs the command lines in a child that is nobody; `approve` says whether the stand-in
    // for pkexec passes requests on to the helper (else it answers as a declined prompt
    // does). Each command's output and error stream go to logs/N.out and logs/N.err.
    // Whether every command exited with the status expected.
    bool AsNobody(const std::vector<std::pair<std::vector<std::string>, int>>& commands, bool withRunner, bool approve) {
        int pair[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pair[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(90);
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            auto env = ScratchEnvironment(home, home.path() + "/xdg");
            env.fstab = drive->fstab;
            platform::linux_desktop::LinuxSystem system(env);
            const int channel = pair[1];
            if (withRunner)
                system.SetElevationRunner([channel](const std::vector<std::string>& argv, std::string& errors) {
                    std::string request;
                    for (const std::string& arg : argv) request += arg + "\n";
                    SendAll(channel, request);
                    std::string status;
                    if (!ReceiveOne(channel, status) || !ReceiveOne(channel, errors)) return -1;
                    return std::stoi(status);
                });
            int failed = 0;
            for (std::size_t i = 0; i < commands.size(); ++i) {
                std::ostringstream out, err;
                cli::Console console{out, err};
                const int status = cli::RunCommandLine(commands[i].first, system, console);
                std::ofstream(logs.path() + "/" + std::to_string(i) + ".out") << out.str();
                std::ofstream(logs.path() + "/" + std::to_string(i) + ".err") << err.str() << "\nstatus " << status;
                failed += status == commands[i].second ? 0 : 1;
            }
            ::_exit(failed);
        }
        ::close(pair[1]);
        // pkexec's part: the helper as root for the caller, or the answer of a declined prompt.
        for (std::string request; ReceiveOne(pair[0], request);) {
            ++asked;
            std::string line = "mount --bind '" + drive->fstab + "' /etc/fstab && exec env -i PKEXEC_UID=65534 '" +
                               std::string(TROVEL_PREPARE_TARGET) + "'";
            std::istringstream args(request);
            std::string arg;
            std::getline(args, arg);  // pkexec
            std::getline(args, arg);  // the installed helper's path
            while (std::getline(args, arg)) line += " '" + arg + "'";
            const std::string errors = logs.path() + "/helper.err";
            line += " 2>'" + errors + "'";
            int status = 126;
            if (approve) {
                const int ran = std::system(("unshare -m sh -c \"" + line + "\"").c_str());
                status = WIFEXITED(ran) ? WEXITSTATUS(ran) : -1;
            }
            SendAll(pair[0], std::to_string(status));
            SendAll(pair[0], approve ? Read(errors) : "");
        }
        ::close(pair[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string Read(const std::string& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string Log(int i, const char* stream) { return Read(logs.path() + "/" + std::to_string(i) + "." + stream); }

    TempDir home;
    TempDir logs;
    std::unique_ptr<LoopDrive> drive;
    std::string root;
    int asked = 0;
};

TEST_F(MoveWithApprovalTest, OffersTheDriveWithANoteAndMovesWithOneApproval) {
    const bool ok = AsNobody({{{"drives"}, 0}, {{"move", "--to", root, "--copy", "--delete", "MUSIC"}, 0}}, true, true);
    EXPECT_TRUE(ok) << Log(0, "err") << Log(1, "out") << Log(1, "err");
    EXPECT_NE(Log(0, "out").find(root), std::string::npos) << Log(0, "out");
    EXPECT_NE(Log(0, "out").find("administrator approval needed"), std::string::npos) << Log(0, "out");
    EXPECT_EQ(asked, 1);
    const std::string moved = drive->point + home.path() + "/Music/song.ogg";
    struct stat info {};
    ASSERT_EQ(::lstat(moved.c_str(), &info), 0) << Log(1, "out") << Log(1, "err");
    EXPECT_EQ(info.st_uid, kNobody);
    ASSERT_EQ(::lstat((drive->point + home.path() + "/Music").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    ASSERT_EQ(::lstat((drive->point + home.path()).c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_FALSE(fs::exists(home.path() + "/Music/song.ogg"));
}

TEST_F(MoveWithApprovalTest, ARefusedApprovalWritesNothingAndSaysWhy) {
    EXPECT_TRUE(AsNobody({{{"move", "--to", root, "--copy", "MUSIC"}, 1}}, true, false)) << Log(0, "err");
    EXPECT_EQ(asked, 1);
    EXPECT_NE(Log(0, "out").find("administrator approval was refused"), std::string::npos) << Log(0, "out");
    EXPECT_EQ(drive->Entries(), 0u);
    EXPECT_TRUE(fs::exists(home.path() + "/Music/song.ogg"));
}

TEST_F(MoveWithApprovalTest, WithoutAnAgentItNamesTheAdministratorsCommand) {
    EXPECT_TRUE(AsNobody({{{"move", "--to", root, "--copy", "--json", "MUSIC"}, 1}}, false, false)) << Log(0, "err");
    EXPECT_NE(Log(0, "err").find("sudo trovel-cli prepare " + root + " --for nobody"), std::string::npos) << Log(0, "err");
    EXPECT_NE(Log(0, "out").find("\"code\": \"needs-administrator\""), std::string::npos) << Log(0, "out");
    EXPECT_EQ(drive->Entries(), 0u);
}

TEST_F(MoveWithApprovalTest, ThePrepareCommandDoesTheHelpersJobForRootOnly) {
    // Refused as nobody, before anything is looked at.
    EXPECT_TRUE(AsNobody({{{"prepare", root, "--for", "nobody"}, 3}}, false, false)) << Log(0, "err");
    EXPECT_EQ(drive->Entries(), 0u);
    // As root: the account's own home ("/nonexistent" for nobody) is the place on the drive.
    platform::UserAccount nobody;
    ASSERT_TRUE(platform::linux_desktop::LookUpAccount("nobody", nobody));
    auto env = ScratchEnvironment(home, home.path() + "/xdg");
    env.fstab = drive->fstab;
    platform::linux_desktop::LinuxSystem system(env);
    std::ostringstream out, err;
    cli::Console console{out, err};
    EXPECT_EQ(cli::RunCommandLine({"prepare", root, "--for", "nobody", "--json"}, system, console), 0) << err.str();
    EXPECT_NE(out.str().find("\"code\": \"prepared\""), std::string::npos) << out.str();
    struct stat info {};
    ASSERT_EQ(::lstat((drive->point + nobody.home).c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(cli::RunCommandLine({"prepare", root, "--for", "nobody"}, system, console), 0) << err.str();
    EXPECT_NE(out.str().find("already there"), std::string::npos) << out.str();
    EXPECT_EQ(cli::RunCommandLine({"prepare", root, "--for", "no-such-user-here"}, system, console), 4);
    EXPECT_EQ(cli::RunCommandLine({"prepare", "/", "--for", "nobody"}, system, console), 2);
    EXPECT_EQ(cli::RunCommandLine({"prepare", root}, system, console), 2);
}

}  // namespace
}  // namespace trovel::testing
