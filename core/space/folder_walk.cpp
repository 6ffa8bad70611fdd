#include "core/space/folder_walk.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "core/basics/text.h"
#include "core/basics/saturating.h"

namespace trovel::space {
namespace {

using platform::DirectoryHandle;

// Open directories all the walkers of one walk may hold at once. A walk keeps one handle per
// level it is in, so a deep tree would otherwise run the process out of descriptors; with
// more walkers each one holds fewer.
constexpr std::size_t kHandlesInAll = 64;
// However deep a queue the device has: sixteen walkers keep four handles each.
constexpr int kMostWalkers = 16;

// What the walkers of one measurement share: the sub-trees waiting for a walker, and
// the working lists of excluded paths and mount points. Each sub-tree is counted by
// exactly one walker, so the sums are those of a walk on one thread.
class SharedWalk {
public:
    SharedWalk(int walkers, catalogue::TextList* exclusions, std::vector<std::string> mountPoints, platform::PathStyle style)
        : walkers_(walkers), exclusions_(exclusions), mountPoints_(std::move(mountPoints)),
          mountPointsLeft_(!mountPoints_.empty()), style_(style) {}

    struct Task {
        std::unique_ptr<DirectoryHandle> directory;
        std::string path;
    };

    bool SomeoneIdle() const { return idle_.load(std::memory_order_relaxed) > 0; }

    void Start(Task task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }

    // One walker fewer than planned will take part.
    void Withdraw() {
        std::lock_guard lock(mutex_);
        --walkers_;
        if (tasks_.empty() && idle_ == walkers_) {
            finished_ = true;
            wake_.notify_all();
        }
    }

    // Hands a sub-tree over only while a walker waits for one, so that the queue never
    // holds more open directories than there are idle walkers.
    bool TryGive(Task& task) {
        {
            std::lock_guard lock(mutex_);
            if (finished_ || static_cast<int>(tasks_.size()) >= idle_.load()) return false;
            tasks_.push_back(std::move(task));
        }
        wake_.notify_one();
        return true;
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
        if (finished_) return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
        --idle_;
        return true;
    }

    // A walker failed: the others stop at the next directory and the error goes to the caller.
    void Fail(std::exception_ptr error) {
        {
            std::lock_guard lock(mutex_);
            if (!error_) error_ = std::move(error);
            finished_ = true;
            tasks_.clear();
        }
        failed_.store(true);
        wake_.notify_all();
    }
    bool Failed() const { return failed_.load(); }
    std::exception_ptr Error() const { return error_; }

    // Read on every entry by every walker, so not from the list another walker may be changing.
    bool TracksPaths() const { return exclusions_ != nullptr || mountPointsLeft_.load(std::memory_order_relaxed); }

    // Whether `candidate` is in the excluded paths (left out with its content) or the mount
    // points (counted, never entered). A match is dropped, so later comparisons get shorter.
    bool Excluded(const std::string& candidate) { return Take(exclusions_, candidate); }
    bool MountPoint(const std::string& candidate) { return Take(&mountPoints_, candidate); }

private:
    bool Take(std::vector<std::string>* list, const std::string& candidate) {
        if (list == nullptr) return false;
        std::lock_guard lock(listMutex_);
        // Windows paths ignore the case of a-z; POSIX names are bytes and compare exactly.
        const auto it = std::find_if(list->begin(), list->end(), [&](const std::string& listed) {
            return style_ == platform::PathStyle::Windows ? catalogue::EqualsAsciiFolded(listed, candidate)
                                                          : listed == candidate;
        });
        if (it == list->end()) return false;
        list->erase(it);
        if (list == &mountPoints_ && mountPoints_.empty()) mountPointsLeft_.store(false, std::memory_order_relaxed);
        return true;
    }

    int walkers_;
    catalogue::TextList* exclusions_;
    std::vector<std::string> mountPoints_;
    std::atomic<bool> mountPointsLeft_;
    const platform::PathStyle style_;
    std::mutex listMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    std::atomic<int> idle_{0};
    std::atomic<bool> failed_{false};
    bool finished_ = false;
    std::exception_ptr error_;
};

class Walker {
public:
    Walker(SharedWalk& shared, char separator, std::uint64_t filesystem, std::size_t handles)
        : shared_(shared), separator_(separator), filesystem_(filesystem), handles_(handles) {}

    void Run() {
        try {
            SharedWalk::Task task;
            while (shared_.Take(task)) Tree(std::move(task.directory), std::move(task.path));
        } catch (...) {
            shared_.Fail(std::current_exception());
        }
    }

    std::int64_t total = 0;
    WalkCounters counters;

private:
    // One directory being walked: its sub-directories still to walk, and its handle, which
    // is closed when the walker needs descriptors for deeper levels and opened again by
    // name from the nearest open directory above it.
    struct Frame {
        std::unique_ptr<DirectoryHandle> handle;
        std::string name;  // in its parent
        std::string path;  // ending in the separator; kept only while paths are compared
        std::vector<std::string> pending;
        std::size_t next = 0;
    };

    // Walks a sub-tree without recursion: a chain of any depth keeps at most
    // handles_ directories open.
    void Tree(std::unique_ptr<DirectoryHandle> root, std::string path) {
        frames_.clear();
        frames_.push_back(Frame{std::move(root), {}, std::move(path), {}, 0});
        Read(frames_.back());
        while (!frames_.empty() && !shared_.Failed()) {
            Frame& top = frames_.back();
            if (top.next >= top.pending.size()) {
                frames_.pop_back();
                continue;
            }
            std::string name = std::move(top.pending[top.next++]);
            if (top.next == top.pending.size()) top.pending = {};  // its names are no longer needed
            std::string childPath = shared_.TracksPaths() ? top.path + name + separator_ : std::string();
            DirectoryHandle* parent = HandleAt(frames_.size() - 1);
            if (parent == nullptr) continue;  // the folder is gone: its sub-folders were counted
            std::unique_ptr<DirectoryHandle> child = OpenChild(*parent, frames_.size() - 1, name);
            if (!child) {  // counted, but nothing in it can be read: the size is a lower bound
                counters.AddUnreadable(childPath.empty() ? PathTo(name) : childPath.substr(0, childPath.size() - 1));
                continue;
            }
            // A filesystem mounted inside the folder is not part of it.
            const std::uint64_t filesystem = filesystem_ != 0 ? child->FilesystemId() : 0;
            if (filesystem != 0 && filesystem != filesystem_) continue;
            if (shared_.SomeoneIdle()) {
                // The sub-tree keeps its path, to name what in it cannot be read.
                SharedWalk::Task task{std::move(child), childPath.empty() ? PathTo(name) + separator_ : childPath};
                if (shared_.TryGive(task)) continue;
                child = std::move(task.directory);
            }
            frames_.push_back(Frame{std::move(child), std::move(name), std::move(childPath), {}, 0});
            Read(frames_.back());
            KeepWithinBudget();
        }
        frames_.clear();
    }

    // The path of `name` in the directory on top, from the walk's root and the names below it.
    std::string PathTo(const std::string& name) const {
        std::string path = frames_.front().path;
        for (std::size_t i = 1; i < frames_.size(); ++i) {
            path += frames_[i].name;
            path += separator_;
        }
        return path + name;
    }

    // Counts the files of one directory and notes its sub-directories to walk.
    void Read(Frame& frame) {
        platform::TreeEntry entry;
        while (frame.handle->Next(entry)) {
            if (!entry.directory) {
                total = SaturatingAdd(total, entry.size);
                ++counters.files;
                continue;
            }
            if (entry.name.starts_with('.')) continue;  // ".", ".." and every dot-directory
            bool mountPoint = false;
            if (shared_.TracksPaths()) {
                std::string childPath = frame.path;
                childPath.append(entry.name);
                childPath += separator_;
                if (shared_.Excluded(childPath)) continue;
                // Another filesystem (a share whose server may be gone) is not opened at all.
                mountPoint = shared_.MountPoint(childPath);
            }
            ++counters.folders;
            if (!mountPoint) frame.pending.emplace_back(entry.name);
        }
        // A directory with nothing left to open needs no handle any more.
        if (frame.pending.empty() && frames_.size() > 1) frame.handle.reset();
    }

    // The handle of frame `index`, opened again from the nearest open frame above when it was
    // closed. Of the levels opened on the way only the deepest are kept, within the walker's share.
    DirectoryHandle* HandleAt(std::size_t index) {
        if (frames_[index].handle) return frames_[index].handle.get();
        std::size_t open = index;
        while (!frames_[open].handle) --open;  // frame 0 is never closed
        for (std::size_t level = open + 1; level <= index; ++level) {
            frames_[level].handle = OpenChild(*frames_[level - 1].handle, level - 1, frames_[level].name);
            if (!frames_[level].handle) return nullptr;
            if (level - 1 > open && index - (level - 1) >= handles_ - 1) frames_[level - 1].handle.reset();
        }
        return frames_[index].handle.get();
    }

    // Opens a sub-directory. Running out of descriptors says nothing about the directory:
    // give back every handle this walker can spare, wait a little, and try again.
    std::unique_ptr<DirectoryHandle> OpenChild(DirectoryHandle& parent, std::size_t parentIndex, const std::string& name) {
        for (int attempt = 0;; ++attempt) {
            std::unique_ptr<DirectoryHandle> child = parent.OpenChild(name);
            if (child || !parent.LastOpenRanOutOfHandles() || attempt == 200) return child;
            for (std::size_t i = 1; i < frames_.size(); ++i)
                if (i != parentIndex) frames_[i].handle.reset();
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Closes the handles of the shallowest frames (never the walk's own root, never the one
    // being read) until the walker holds no more than its share.
    void KeepWithinBudget() {
        std::size_t open = 0;
        for (const Frame& frame : frames_) open += frame.handle ? 1 : 0;
        for (std::size_t i = 1; open > handles_ && i + 1 < frames_.size(); ++i) {
            if (!frames_[i].handle) continue;
            frames_[i].handle.reset();
            --open;
        }
    }

    SharedWalk& shared_;
    char separator_;
    std::uint64_t filesystem_;
    std::size_t handles_;
    std::vector<Frame> frames_;
};

std::int64_t Measure(platform::Platform& platform, const std::string& basedir, catalogue::TextList* exclusions,
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
    if (!root) {
        // A folder that is there but cannot be listed: its 0 is no size at all.
        if (attributes != platform::kInvalidAttributes) counters.AddUnreadable(basedir);
        return 0;
    }
    const std::uint64_t filesystem = root->FilesystemId();

    // A cold walk waits on the disk, not on the processor: as many walkers as reads the
    // device takes at once, whatever the number of cores.
    const int count = std::clamp(platform.ParallelReadsFor(path), 1, kMostWalkers);
    const std::size_t handles = std::max<std::size_t>(4, kHandlesInAll / static_cast<std::size_t>(count));
    SharedWalk shared(count, exclusions != nullptr && !exclusions->empty() ? exclusions : nullptr,
                      platform.MountPointsBelow(path), platform.Style());
    std::vector<Walker> walkers;
    walkers.reserve(static_cast<std::size_t>(count));  // the helpers hold references into it
    for (int i = 0; i < count; ++i) walkers.emplace_back(shared, separator, filesystem, handles);
    shared.Start({std::move(root), path});
    std::vector<std::thread> helpers;
    for (int i = 1; i < count; ++i) {
        try {
            helpers.emplace_back([&walker = walkers[static_cast<std::size_t>(i)]] { walker.Run(); });
        } catch (...) {
            shared.Withdraw();  // no thread to be had: the others do its share
        }
    }
    walkers[0].Run();
    for (std::thread& helper : helpers) helper.join();
    if (shared.Error()) std::rethrow_exception(shared.Error());

    std::int64_t total = 0;
    for (const Walker& walker : walkers) {
        total = SaturatingAdd(total, walker.total);
        counters.folders += walker.counters.folders;
        counters.files += walker.counters.files;
        counters.unreadable += walker.counters.unreadable;
        for (const std::string& unreadable : walker.counters.unreadablePaths)
            if (counters.unreadablePaths.size() < WalkCounters::kNamedUnreadable) counters.unreadablePaths.push_back(unreadable);
    }
    return total;
}

}  // namespace

std::int64_t GetFileObjectSize(platform::Platform& platform, const std::string& basedir, WalkCounters& counters) {
    return Measure(platform, basedir, nullptr, counters);
}

std::int64_t GetFileObjectSizeEX(platform::Platform& platform, const std::string& basedir,
                                 const catalogue::TextList& exar, WalkCounters& counters) {
    catalogue::TextList working = exar;  // the record's own list is not changed by measuring
    return Measure(platform, basedir, &working, counters);
}

}  // namespace trovel::space
