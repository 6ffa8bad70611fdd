// Times the size walk against `du -sb` on the same tree, in the same run, warm cache.
// usage: walk_bench DIRECTORY [EXCLUDED_PATH/ ...] [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "platform/linux/linux_platform.h"
#include "core/space/folder_walk.h"

namespace {

using trovel::bench::Median;

template <typename Work>
double Seconds(Work work) {
    const auto start = trovel::bench::Clock::now();
    work();
    return trovel::bench::SecondsSince(start);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY [EXCLUDED_PATH/ ...] [--runs N]\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    trovel::catalogue::TextList excluded;
    int runs = 5;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else excluded.push_back(argv[i]);
    }

    trovel::platform::linux_desktop::LinuxPlatform platform{trovel::platform::linux_desktop::Environment{}};
    trovel::space::WalkCounters counters;
    std::int64_t bytes = 0;
    const std::string du = "du -sb '" + directory + "' > /dev/null";
    std::vector<double> walkTimes, duTimes;
    // One untimed pass of each warms the cache.
    trovel::space::WalkCounters warm;
    trovel::space::GetFileObjectSizeEX(platform, directory, excluded, warm);
    if (std::system(du.c_str()) != 0) std::fprintf(stderr, "du failed\n");
    for (int run = 0; run < runs; ++run) {
        walkTimes.push_back(Seconds([&] {
            counters = {};
            bytes = trovel::space::GetFileObjectSizeEX(platform, directory, excluded, counters);
        }));
        duTimes.push_back(Seconds([&] { [[maybe_unused]] int rc = std::system(du.c_str()); }));
    }
    const double walk = Median(walkTimes);
    const double duTime = Median(duTimes);
    std::printf("walk: %u files, %u folders, %lld bytes\n", counters.files, counters.folders,
                static_cast<long long>(bytes));
    std::printf("walk   %.4f s (median of %d)\n", walk, runs);
    std::printf("du -sb %.4f s (median of %d)\n", duTime, runs);
    std::printf("ratio walk / du = %.2f\n", walk / duTime);
    return 0;
}
