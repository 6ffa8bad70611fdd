#pragma once

#include <algorithm>
#include <thread>
#include <vector>

namespace trovel::relocation {

// Runs `work` on `workers` threads, the calling one among them, and returns when every one
// has returned. A thread the system will not start leaves its share to the others.
template <typename Work>
void RunOnWorkers(int workers, const Work& work) {
    std::vector<std::thread> helpers;
    for (int i = 1; i < std::max(1, workers); ++i) {
        try {
            helpers.emplace_back([&work] { work(); });
        } catch (...) {
            break;
        }
    }
    work();
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace trovel::relocation
