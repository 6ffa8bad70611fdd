#include "space/folder_walk.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "catalogue/text.h"

namespace trovel::space {
namespace {

// What the walkers of one measurement share: the sub-trees waiting for a walker, and
// the working list of excluded paths. Each sub-tree is counted by exactly one walker,
// so the sums are those of a walk on one thread.
class SharedWalk {
public:
    SharedWalk(int walkers, catalogue::TSA* exclusions) : walkers_(walkers), exclusions_(exclusions) {}

    struct Task {
        std::unique_ptr<platform::DirectoryHandle> directory;
        std::string path;
    };

    bool SomeoneIdle() const { return idle_.load(std::memory_order_relaxed) > 0; }

    void Give(Task task) {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        wake_.notify_one();
    }

    // The next sub-tree, or false once every walker is idle and nothing is left.
    bool Take(Task& task) {
        std::unique_lock lock(mutex_);
        ++idle_;
        if (tasks_.empty() && idle_ == walkers_) {
            finished_ = true;
            wake_.notify_all();
            return false;
        }
        wake_.wait(lock, [&] { return !tasks_.empty() || finished_; });
        if (tasks_.empty()) return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
        --idle_;
        return true;
    }

    bool HasExclusions() const { return exclusions_ != nullptr; }

    // A matched exclusion is dropped, so later comparisons get shorter.
    bool Excluded(const std::string& candidate) {
        std::lock_guard lock(exclusionMutex_);
        const auto it = std::find_if(exclusions_->begin(), exclusions_->end(), [&](const std::string& excluded) {
            return catalogue::EqualsAsciiFolded(excluded, candidate);
        });
        if (it == exclusions_->end()) return false;
        exclusions_->erase(it);
        return true;
    }

private:
    const int walkers_;
    catalogue::TSA* exclusions_;
    std::mutex exclusionMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    std::atomic<int> idle_{0};
    bool finished_ = false;
};

class Walker {
public:
    Walker(SharedWalk& shared, char separator) : shared_(shared), separator_(separator) {}

    void Run() {
        SharedWalk::Task task;
        while (shared_.Take(task)) Directory(*task.directory, task.path);
    }

    // `path` (ending in the separator) is kept only while there are exclusions to compare.
    void Directory(platform::DirectoryHandle& directory, const std::string& path) {
        platform::TreeEntry entry;
        while (directory.Next(entry)) {
            if (!entry.directory) {
                total += entry.size;
                ++counters.files;
                continue;
            }
            if (entry.name.starts_with('.')) continue;  // ".", ".." and every dot-directory
            std::string childPath;
            if (shared_.HasExclusions()) {
                childPath = path;
                childPath.append(entry.name);
                childPath += separator_;
                if (shared_.Excluded(childPath)) continue;
            }
            ++counters.folders;
            auto child = directory.OpenChild(entry.name);
            if (!child) continue;  // counted, but nothing in it can be read
            if (shared_.SomeoneIdle()) shared_.Give({std::move(child), std::move(childPath)});
            else Directory(*child, childPath);
        }
    }

    std::int64_t total = 0;
    WalkCounters counters;

private:
    SharedWalk& shared_;
    char separator_;
};

// Two walkers: the machines this runs on have at least two cores, and listing is
// mostly waiting on the file system.
constexpr int kWalkers = 2;

std::int64_t Measure(platform::Platform& platform, const std::string& basedir, catalogue::TSA* exclusions,
                     WalkCounters& counters) {
    const std::uint32_t attributes = platform.FileAttributes(basedir);
    // Unreadable attributes: treated as a directory, whose listing then finds nothing.
    if (attributes != platform::kInvalidAttributes && !(attributes & platform::kAttributeDirectory)) {
        std::int64_t size = 0;
        if (!platform.EntrySize(basedir, size)) return 0;
        ++counters.files;
        return size;
    }
    const char separator = platform::PathSeparator(platform.Style());
    std::string path = basedir;
    if (path.empty() || path.back() != separator) path += separator;
    auto root = platform.OpenDirectory(path);
    if (!root) return 0;

    SharedWalk shared(kWalkers, exclusions != nullptr && !exclusions->empty() ? exclusions : nullptr);
    std::vector<Walker> walkers(kWalkers, Walker(shared, separator));
    shared.Give({std::move(root), path});
    std::vector<std::thread> helpers;
    for (int i = 1; i < kWalkers; ++i) helpers.emplace_back([&walker = walkers[static_cast<std::size_t>(i)]] { walker.Run(); });
    walkers[0].Run();
    for (std::thread& helper : helpers) helper.join();

    std::int64_t total = 0;
    for (const Walker& walker : walkers) {
        total += walker.total;
        counters.folders += walker.counters.folders;
        counters.files += walker.counters.files;
    }
    return total;
}

}  // namespace

std::int64_t GetFileObjectSize(platform::Platform& platform, const std::string& basedir, WalkCounters& counters) {
    return Measure(platform, basedir, nullptr, counters);
}

std::int64_t GetFileObjectSizeEX(platform::Platform& platform, const std::string& basedir,
                                 const catalogue::TSA& exar, WalkCounters& counters) {
    catalogue::TSA working = exar;  // the record's own list is not changed by measuring
    return Measure(platform, basedir, &working, counters);
}

}  // namespace trovel::space
