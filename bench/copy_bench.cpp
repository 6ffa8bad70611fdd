// Times the content mover against cp -a on the same tree, onto a target folder on another
// file system (a loop-mounted ext4, say). Each run times three pairs, each baseline beside
// the mover run it is compared with, the two taking turns going first from run to run:
//   the copy phase against `cp -a SRC DST`; a whole move (plan, copy, verify, register,
//   delete) against `cp -a SRC DST && rm -rf SRC`; and another whole move against the same
//   with the target flushed first (`sync -f DST`), as the move does.
// Every run's ratio is printed with the spread, and the median of the runs' ratios.
// usage: copy_bench TREE TARGET_FOLDER [--runs N] [--workers N] [--dd FILE]
//        copy_bench TREE TARGET_FOLDER --memory [--workers N]
// Without --workers, the mover gets the workers a relocation would: the smaller of the two
// devices' read depths.
// TREE is copied to a scratch source beside it (same file system) before each move.
// --dd FILE: also copies FILE (on the tree's file system) to the target's with dd, flushed,
//   from a cold cache: what the two devices allow at best, for the large-file case.
// --memory: one whole move of TREE itself (it is gone afterwards, its copy in TARGET_FOLDER/mover)
//   and the peak resident memory of this process (VmHWM), which runs no baseline.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "platform/linux/posix_file_ops.h"
#include "platform/linux/read_depth.h"
#include "platform/linux/run_lock.h"
#include "mover/content_mover.h"

namespace {

using trovel::bench::Clock;
using trovel::bench::Median;
const auto Since = trovel::bench::SecondsSince;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

// Everything on disk and out of the cache, so each timed step starts from the same place
// (where the process may drop the cache: as root).
void Settle() { Run("sync; [ -w /proc/sys/vm/drop_caches ] && echo 3 > /proc/sys/vm/drop_caches; true"); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// This process's peak resident memory (what getrusage gives as ru_maxrss), read from
// /proc/self/status: the bench talks to the system only through commands and files.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TREE TARGET_FOLDER [--runs N] [--workers N] [--dd FILE] [--memory]\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[1];
    const std::string target = argv[2];
    int runs = 3, workers = 0;
    bool memory = false;
    std::string ddFile;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--memory") memory = true;
        else if (i + 1 >= argc) break;
        else if (option == "--runs") runs = std::max(1, std::atoi(argv[++i]));
        else if (option == "--workers") workers = std::max(1, std::atoi(argv[++i]));
        else if (option == "--dd") ddFile = argv[++i];
    }
    if (workers == 0) {
        namespace linux_desktop = trovel::platform::linux_desktop;
        const linux_desktop::ReadDepth from = linux_desktop::ReadDepthOfPath("/sys", tree);
        const linux_desktop::ReadDepth to = linux_desktop::ReadDepthOfPath("/sys", target);
        workers = std::min(from.depth, to.depth);
        std::printf("workers %d: the tree's device %s gives %d (%s), the target's %s gives %d (%s)\n", workers,
                    from.device.c_str(), from.depth, from.why.c_str(), to.device.c_str(), to.depth, to.why.c_str());
    }
    const std::string source = tree + ".bench-source";
    const std::string moved = target + "/mover";
    const std::string copied = target + "/cp";
    // One bench per target folder at a time, held as a relocation holds its folder's lock:
    // two benches on one target would delete each other's trees and time each other.
    const trovel::platform::linux_desktop::RunLock lock(target, "bench");
    if (!lock.Held()) {
        std::fprintf(stderr, "%s: %s\n", lock.path().c_str(),
                     lock.status() == trovel::platform::linux_desktop::RunLock::Status::Busy ? "another bench holds it"
                                                                                            : "cannot be locked");
        return 1;
    }
    trovel::platform::linux_desktop::PosixFileOps ops;
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, long> peaks;  // --memory: the peak so far as each phase ended

    // Times one mover run; its phases go under `prefix`, and its whole time is returned.
    const auto timeMover = [&](const std::string& from, bool deleteSource, const std::string& prefix) {
        trovel::relocation::MoveRequest request;
        request.source = from;
        request.target = moved;
        request.driveRoot = target;  // the folder given is where the run may write below
        request.deleteSource = deleteSource;
        request.journal = target + "/bench.journal";
        request.workers = workers;
        trovel::relocation::MoveCallbacks callbacks;
        callbacks.registerTarget = [] { return true; };
        Clock::time_point phaseStart;
        callbacks.phaseDone = [&](const char* phase) {
            times[prefix + phase].push_back(Since(phaseStart));
            if (memory) peaks[phase] = PeakKilobytes();
            phaseStart = Clock::now();
        };
        const auto start = phaseStart = Clock::now();
        const auto result = trovel::relocation::MoveFolderContent(ops, request, callbacks);
        const double all = Since(start);
        times[prefix + "all"].push_back(all);
        if (!result.Succeeded()) std::fprintf(stderr, "mover: %s\n", result.errorText.c_str());
        return all;
    };
    const auto timeCommand = [&](const std::string& command, const std::string& name) {
        const auto start = Clock::now();
        Run(command);
        times[name].push_back(Since(start));
    };
    const auto clean = [&] { Run("rm -rf " + Quoted(moved) + " " + Quoted(copied) + " " + Quoted(source)); };

    if (memory) {
        // TREE itself goes, so that no copy of it has to be made first.
        Settle();
        const long before = PeakKilobytes();
        const double seconds = timeMover(tree, true, "memory: ");
        std::printf("one whole move in %.2f s with %d workers: peak RSS %.1f MB (%.1f MB before the move)\n", seconds,
                    workers, static_cast<double>(PeakKilobytes()) / 1024.0, static_cast<double>(before) / 1024.0);
        for (const auto& [name, values] : times) std::printf("%-22s %8.3f s\n", name.c_str(), values.front());
        for (const char* phase : {"plan", "copy", "verify", "register", "delete"})
            if (peaks.contains(phase))
                std::printf("peak RSS when %-8s ended: %.1f MB\n", phase, static_cast<double>(peaks[phase]) / 1024.0);
        return 0;
    }

    // The mover's whole-move times, by the baseline they were paired with.
    std::vector<double> moveAgainstRm, moveAgainstSync;
    for (int run = 0; run < runs; ++run) {
        // Whichever goes first after the other's deletions pays for the file systems' clean-up,
        // so the two take turns going first: the mover in even runs, the baseline in odd ones.
        const bool moverFirst = run % 2 == 0;
        clean();
        for (int turn = 0; turn < 2; ++turn) {
            Settle();
            if ((turn == 0) == moverFirst) timeMover(tree, false, "copy (0x202): ");
            else timeCommand("cp -a " + Quoted(tree) + " " + Quoted(copied), "cp -a");
        }
        clean();
        // A whole move (0x602), each side from a fresh copy of the tree.
        const auto pair = [&](const std::string& baseline, const std::string& name, std::vector<double>& mover) {
            for (int turn = 0; turn < 2; ++turn) {
                Run("rm -rf " + Quoted(source) + " && cp -a " + Quoted(tree) + " " + Quoted(source));
                Settle();
                if ((turn == 0) == moverFirst) mover.push_back(timeMover(source, true, "move (0x602): "));
                else timeCommand(baseline, name);
            }
            clean();
        };
        const std::string copy = "cp -a " + Quoted(source) + " " + Quoted(copied);
        pair(copy + " && rm -rf " + Quoted(source), "cp -a && rm -rf", moveAgainstRm);
        pair(copy + " && sync -f " + Quoted(copied) + " && rm -rf " + Quoted(source), "cp -a && sync -f && rm -rf",
             moveAgainstSync);
        // This run's ratios now, so that a bench cut short still tells what it measured.
        const auto last = [&](const std::vector<double>& values) { return values.empty() ? 0.0 : values.back(); };
        std::printf("run %d (%s first): copy phase %.2f s / cp -a %.2f s = %.2f; move %.2f s / cp -a && rm -rf %.2f s = %.2f; "
                    "move %.2f s / cp -a && sync -f && rm -rf %.2f s = %.2f\n",
                    run + 1, moverFirst ? "mover" : "baselines", last(times["copy (0x202): copy"]), last(times["cp -a"]),
                    last(times["copy (0x202): copy"]) / last(times["cp -a"]), last(moveAgainstRm),
                    last(times["cp -a && rm -rf"]), last(moveAgainstRm) / last(times["cp -a && rm -rf"]),
                    last(moveAgainstSync), last(times["cp -a && sync -f && rm -rf"]),
                    last(moveAgainstSync) / last(times["cp -a && sync -f && rm -rf"]));
        std::fflush(stdout);
    }
    for (const auto& [name, values] : times) {
        std::printf("%-30s %8.3f s median of", name.c_str(), Median(values));
        for (const double value : values) std::printf(" %.2f", value);
        std::printf("\n");
    }
    trovel::bench::PrintRatio("copy phase / cp -a", times["copy (0x202): copy"], times["cp -a"]);
    trovel::bench::PrintRatio("whole move / cp -a && rm -rf", moveAgainstRm, times["cp -a && rm -rf"]);
    trovel::bench::PrintRatio("whole move / cp -a && sync -f && rm -rf", moveAgainstSync,
                              times["cp -a && sync -f && rm -rf"]);

    if (!ddFile.empty()) {
        // What the two devices do at best: one large file read from the one and written to the other.
        const std::string to = target + "/dd-probe";
        Settle();
        const auto start = Clock::now();
        Run("dd if=" + Quoted(ddFile) + " of=" + Quoted(to) + " bs=4M conv=fsync status=none");
        const double seconds = Since(start);
        std::error_code error;
        const double bytes = static_cast<double>(std::filesystem::file_size(ddFile, error));
        std::filesystem::remove(to, error);
        std::printf("dd %s -> %s (conv=fsync, cold): %.2f s, %.0f MB/s\n", ddFile.c_str(), target.c_str(), seconds,
                    bytes / seconds / 1e6);
    }
    return 0;
}
