#pragma once
// The installed-style command line on the real Linux layer: a scratch home, a loop-mounted
// drive that a private /etc/fstab (bound over the real one in a mount namespace of the
// child's own) lists as mounted at boot. Needs root for the mounts; skipped elsewhere.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "loop_drive.h"
#include "platform/linux/safe_file.h"
#include "scratch_home.h"

#ifndef TROVEL_CLI
#define TROVEL_CLI ""
#endif

namespace trovel::testing {

// Whether a text holds a letter only Hungarian uses: the command line runs here under English.
inline bool HasHungarianLetter(const std::string& text) {
    for (const char* letter : {"á", "é", "í", "ó", "ö", "ő", "ú", "ü", "ű", "Á", "É", "Ő", "Ű"})
        if (text.find(letter) != std::string::npos) return true;
    return false;
}

class CommandLineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a loop image needs root";
        if (std::system("command -v mkfs.ext4 >/dev/null && command -v unshare >/dev/null") != 0)
            GTEST_SKIP() << "mkfs.ext4 or unshare is missing (Debian packages e2fsprogs, util-linux)";
        drive = std::make_unique<LoopDrive>("160M");
        if (!drive->mounted) GTEST_SKIP() << "this machine does not permit loop mounts";
        fstab = drive->fstab;
        home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
        target = drive->point + home.path();
    }
    static bool HaveStrace() { return std::system("command -v strace >/dev/null") == 0; }
    // The command line in a child with the scratch home and the drive's fstab; its pid.
    // `before` runs the command line under another program (strace, say); its error stream
    // goes to `errors` when one is named, its output to `output`.
    pid_t Start(const std::string& arguments, const std::string& before = "", const std::string& errors = "",
                const std::string& output = "") {
        const std::string line = "mount --bind '" + fstab + "' /etc/fstab && exec " + before +
                                 " env -u XDG_CONFIG_HOME HOME='" + (homePath.empty() ? home.path() : homePath) +
                                 "' LANG=C '" + TROVEL_CLI + "' " +
                                 arguments + " >" + (output.empty() ? "/dev/null" : "'" + output + "'") + " 2>" +
                                 (errors.empty() ? "&1" : "'" + errors + "'");
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/usr/bin/unshare", "unshare", "-m", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    }
    // `before` for a run slowed down at each of the named system calls, so that the test
    // can interfere while it is at work. (A leak checker, in a sanitizer build, cannot run traced.)
    // With a `log`, every file the run opens is written there too, named by where it really is.
    static std::string SlowedAt(const std::string& calls, int microseconds, const std::string& log = "") {
        return "env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -y -o '" + (log.empty() ? "/dev/null" : log) +
               "' -e trace=" + calls + (log.empty() ? "" : ",open,openat,openat2") + " -e inject=" + calls +
               ":delay_enter=" + std::to_string(microseconds);
    }
    int Wait(pid_t child) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Run(const std::string& arguments) { return Wait(Start(arguments)); }
    // Waits up to 30 s for `ready`; whether it came.
    static bool Until(const std::function<bool()>& ready) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!ready()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    std::string Registered(const char* key) { return OutputWithHome(std::string("xdg-user-dir ") + key, home.path()); }
    static std::string Read(const std::string& file) {
        return platform::linux_desktop::ReadWholeFile(file).value_or("<none>");
    }
    std::size_t FilesIn(const std::string& folder) {
        std::error_code error;
        std::size_t count = 0;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error))
            count += it->is_regular_file() ? 1 : 0;
        return count;
    }

    TempDir home;
    std::unique_ptr<LoopDrive> drive;
    std::string fstab;     // the fstab the child sees
    std::string homePath;  // HOME for the child when not the scratch home itself
    std::string target;  // where the drive's copy of the home lies
};

}  // namespace trovel::testing
