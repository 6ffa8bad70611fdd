// Times the content mover against cp -a on the same tree, in the same run, onto a target
// folder on another file system (a loop-mounted ext4, say), median of several runs:
//   the copy phase against `cp -a SRC DST`, and a whole move (plan, copy, verify, register,
//   delete) against `cp -a SRC DST && rm -rf SRC`, and against the same with the target flushed
//   (`sync -f DST`) before the source goes, as the move does.
// usage: copy_bench TREE TARGET_FOLDER [--runs N] [--workers N]
// TREE is copied to a scratch source beside it (same file system) before each move.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "platform/linux/posix_file_ops.h"
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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TREE TARGET_FOLDER [--runs N] [--workers N]\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[1];
    const std::string target = argv[2];
    int runs = 3, workers = 2;
    for (int i = 3; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--workers") workers = std::max(1, std::atoi(argv[++i]));
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

    const auto timeMover = [&](const std::string& from, bool deleteSource, const char* prefix) {
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
            times[std::string(prefix) + phase].push_back(Since(phaseStart));
            phaseStart = Clock::now();
        };
        const auto start = phaseStart = Clock::now();
        const auto result = trovel::relocation::MoveFolderContent(ops, request, callbacks);
        times[std::string(prefix) + "all"].push_back(Since(start));
        if (!result.Succeeded()) std::fprintf(stderr, "mover: %s\n", result.errorText.c_str());
    };
    const auto timeCommand = [&](const std::string& command, const char* name) {
        const auto start = Clock::now();
        Run(command);
        times[name].push_back(Since(start));
    };
    for (int run = 0; run < runs; ++run) {
        // Whichever goes first after the last run's deletions pays for the file systems'
        // clean-up, so the two take turns going first.
        const bool moverFirst = run % 2 == 0;
        Run("rm -rf '" + moved + "' '" + copied + "' '" + source + "'");
        for (int turn = 0; turn < 2; ++turn) {
            Settle();
            if ((turn == 0) == moverFirst) timeMover(tree, false, "copy (0x202): ");
            else timeCommand("cp -a '" + tree + "' '" + copied + "'", "cp -a");
        }
        Run("rm -rf '" + moved + "' '" + copied + "'");
        // A whole move (0x602) against cp -a && rm -rf, each from a fresh copy of the tree.
        for (int turn = 0; turn < 2; ++turn) {
            Run("rm -rf '" + source + "' && cp -a '" + tree + "' '" + source + "'");
            Settle();
            if ((turn == 0) == moverFirst) timeMover(source, true, "move (0x602): ");
            else timeCommand("cp -a '" + source + "' '" + copied + "' && rm -rf '" + source + "'", "cp -a && rm -rf");
        }
        // The same with the target flushed before the source goes, as the move does it.
        Run("rm -rf '" + moved + "' '" + copied + "' '" + source + "' && cp -a '" + tree + "' '" + source + "'");
        Settle();
        timeCommand("cp -a '" + source + "' '" + copied + "' && sync -f '" + copied + "' && rm -rf '" + source + "'",
                    "cp -a && sync -f && rm -rf");
        Run("rm -rf '" + moved + "' '" + copied + "' '" + source + "'");
    }
    for (const auto& [name, values] : times) {
        std::printf("%-22s %8.3f s median of", name.c_str(), Median(values));
        for (const double value : values) std::printf(" %.2f", value);
        std::printf("\n");
    }
    std::printf("ratio copy phase / cp -a            = %.2f\n",
                Median(times["copy (0x202): copy"]) / Median(times["cp -a"]));
    std::printf("ratio whole move / cp -a && rm -rf  = %.2f\n",
                Median(times["move (0x602): all"]) / Median(times["cp -a && rm -rf"]));
    std::printf("ratio whole move / cp -a && sync -f && rm -rf  = %.2f\n",
                Median(times["move (0x602): all"]) / Median(times["cp -a && sync -f && rm -rf"]));
    return 0;
}
