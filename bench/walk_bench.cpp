// Times the size walk against `du -sb` on the same tree, interleaved in one run: warm by
// default, or cold with the page cache dropped before every timed walk and every timed du.
// usage: walk_bench DIRECTORY [EXCLUDED_PATH/ ...] [--runs N] [--cold] [--walkers N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "core/space/folder_walk.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/read_depth.h"

namespace {

namespace linux_desktop = trovel::platform::linux_desktop;

// The system's own walk, with the depth it chose from the device or the one asked for.
class BenchSystem final : public linux_desktop::LinuxSystem {
public:
    explicit BenchSystem(int walkers) : LinuxSystem(linux_desktop::Environment{}), walkers_(walkers) {}
    int ParallelReadsFor(const std::string& path) override {
        return walkers_ > 0 ? walkers_ : LinuxSystem::ParallelReadsFor(path);
    }

private:
    int walkers_;
};

template <typename Work>
double Seconds(Work work) {
    const auto start = trovel::bench::Clock::now();
    work();
    return trovel::bench::SecondsSince(start);
}

// Writes back dirty pages and drops the clean ones, dentries and inodes with them.
bool DropCaches() {
    if (std::system("sync") != 0) return false;
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return static_cast<bool>(drop);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY [EXCLUDED_PATH/ ...] [--runs N] [--cold] [--walkers N]\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    trovel::catalogue::TextList excluded;
    int runs = 5;
    int walkers = 0;
    bool cold = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--walkers" && i + 1 < argc) walkers = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--cold") cold = true;
        else excluded.push_back(arg);
    }
    if (cold && !std::ofstream("/proc/sys/vm/drop_caches")) {
        std::fprintf(stderr, "--cold drops the page cache before every timed pass, which only root may do: "
                             "run it with sudo, or leave --cold out for a warm run\n");
        return 2;
    }

    const linux_desktop::ReadDepth chosen = linux_desktop::ReadDepthOfPath("/sys", directory);
    std::printf("device %s: rotational %d, nr_requests %d -> depth %d (%s)\n", chosen.device.c_str(),
                chosen.rotational, chosen.requests, chosen.depth, chosen.why.c_str());
    if (walkers > 0) std::printf("walkers forced to %d\n", walkers);
    BenchSystem platform(walkers);

    trovel::space::WalkCounters counters;
    std::int64_t bytes = 0;
    const std::string du = "du -sb '" + directory + "' > /dev/null";
    const auto walk = [&] {
        if (cold && !DropCaches()) std::fprintf(stderr, "could not drop the page cache\n");
        return Seconds([&] {
            counters = {};
            bytes = trovel::space::GetFileObjectSizeEX(platform, directory, excluded, counters);
        });
    };
    const auto runDu = [&] {
        if (cold && !DropCaches()) std::fprintf(stderr, "could not drop the page cache\n");
        return Seconds([&] {
            if (std::system(du.c_str()) != 0) std::fprintf(stderr, "du failed\n");
        });
    };
    if (!cold) {  // one untimed pass of each warms the cache
        trovel::space::WalkCounters warm;
        trovel::space::GetFileObjectSizeEX(platform, directory, excluded, warm);
        if (std::system(du.c_str()) != 0) std::fprintf(stderr, "du failed\n");
    }
    std::vector<double> walkTimes, duTimes;
    for (int run = 0; run < runs; ++run) {
        // Taking turns at going first: neither profits from what the other left behind.
        if (run % 2 == 0) {
            walkTimes.push_back(walk());
            duTimes.push_back(runDu());
        } else {
            duTimes.push_back(runDu());
            walkTimes.push_back(walk());
        }
    }
    std::printf("walk: %u files, %u folders, %lld bytes\n", counters.files, counters.folders,
                static_cast<long long>(bytes));
    std::printf("%s, %d runs\n", cold ? "cold (page cache dropped before every pass)" : "warm", runs);
    std::printf("walk   %.4f s (median)\n", trovel::bench::Median(walkTimes));
    std::printf("du -sb %.4f s (median)\n", trovel::bench::Median(duTimes));
    trovel::bench::PrintRatio("walk / du -sb", walkTimes, duTimes);
    return 0;
}
