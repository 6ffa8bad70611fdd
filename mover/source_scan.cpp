// The walk of a source folder: its folders listed on several threads, each folder's
// entries read by whichever thread took it, then put together in one order (a folder's
// children sorted by name, each subfolder's content after it, depth first) whatever the
// threads' timing was, so that a plan is the same with one worker or eight.
#include <algorithm>
#include <iterator>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>

#include "mover/folder_chain.h"
#include "mover/move_plan.h"
#include "mover/worker_threads.h"
#include "platform/path_style.h"

namespace trovel::relocation {
namespace {

using platform::FileInfo;
using platform::FileKind;

// What one folder holds, as the thread that listed it found it. Its entries, sorted by name
// and without the excluded folders, stand in the walk's one store from `first` on.
struct FolderListing {
    bool listed = false;
    std::size_t first = 0, count = 0;
    std::vector<std::string> unreadable, mounts, devices, skipped;
};

// Puts `entries` in the order `order` gives (place i gets what stood at order[i]), in place,
// one cycle of the permutation at a time: a million entries are too many to hold twice.
// `order` names every entry once; it is left as 0, 1, 2, ...
void Reorder(PlanEntries& entries, std::vector<std::size_t>& order) {
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) continue;
        PlanEntry held = std::move(entries[start]);
        std::size_t at = start;
        while (order[at] != start) {
            const std::size_t from = order[at];
            entries[at] = std::move(entries[from]);
            order[at] = at;
            at = from;
        }
        entries[at] = std::move(held);
        order[at] = at;
    }
}

// The folders still to list, the ones listed, and the recorded identity of each folder
// found, shared by the threads of one walk.
class SharedWalk {
public:
    SharedWalk() { pending_.emplace_back(""); }

    // The next folder to list; false when every folder is listed (or the walk was given up).
    bool Next(std::string& folder) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !pending_.empty() || busy_ == 0; });
        if (pending_.empty()) return false;
        folder = std::move(pending_.back());
        pending_.pop_back();
        ++busy_;
        return true;
    }
    // Hands in a folder's listing with its entries (moved into the store; `entries` is left
    // empty), and takes its subfolders for listing next.
    void Done(const std::string& folder, FolderListing listing, std::vector<PlanEntry>& entries) {
        {
            const std::lock_guard lock(mutex_);
            for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
                if (it->info.kind != FileKind::Directory) continue;
                identities_.emplace(it->relative, it->info);
                pending_.push_back(it->relative);
            }
            listing.first = store_.size();
            listing.count = entries.size();
            std::move(entries.begin(), entries.end(), std::back_inserter(store_));
            listings_.emplace(folder, std::move(listing));
            --busy_;
        }
        entries.clear();
        changed_.notify_all();
    }
    // The folder recorded at a place; stays valid while the walk lasts.
    const FileInfo* Identity(const std::string& place) {
        const std::lock_guard lock(mutex_);
        const auto found = identities_.find(place);
        return found == identities_.end() ? nullptr : &found->second;
    }
    std::unordered_map<std::string, FolderListing>& listings() { return listings_; }
    PlanEntries& store() { return store_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> pending_;
    int busy_ = 0;
    std::unordered_map<std::string, FileInfo> identities_;  // nodes stay put as it grows
    std::unordered_map<std::string, FolderListing> listings_;
    // Every folder's entries, in the order the listings came in. One store that grows in
    // blocks, rather than one per folder, keeps them in memory once, also while they are put
    // in order.
    PlanEntries store_;
};

}  // namespace

SourceScan ScanSource(platform::FileOps& ops, platform::HeldFolder root, const std::string& rootPath,
                      const FileInfo& rootInfo, const std::vector<std::string>& exclusions, int workers) {
    SourceScan scan;
    const std::string source = platform::WithoutTrailingSeparators(platform::PathStyle::Posix, rootPath);
    // The excluded folders, and the folders that lead to them, by their place below the source.
    std::set<std::string> excluded;
    std::set<std::string> leading;
    for (const std::string& path : exclusions) {
        const std::string clean = platform::WithoutTrailingSeparators(platform::PathStyle::Posix, path);
        if (clean.size() <= source.size() + 1 || clean.compare(0, source.size(), source) != 0 ||
            clean[source.size()] != '/')
            continue;
        const std::string relative = clean.substr(source.size() + 1);
        excluded.insert(relative);
        for (auto slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
            leading.insert(relative.substr(0, slash));
    }

    SharedWalk walk;
    const bool mayMakeDevices = ops.MayMakeDevices();
    // Each thread keeps its own chain of open folders; it takes the folder found last first,
    // so the chain mostly grows by a step rather than being opened again from the root.
    const auto work = [&] {
        FolderChain chain(ops, root, [&](const std::string& place) { return walk.Identity(place); });
        std::vector<PlanEntry> entries;
        for (std::string folder; walk.Next(folder);) {
            FolderListing listing;
            platform::HeldFolder held;
            std::vector<std::string> names;
            if (chain.Open(folder, held) != 0 || ops.List(held, names) != 0) {
                walk.Done(folder, std::move(listing), entries);
                continue;
            }
            listing.listed = true;
            std::sort(names.begin(), names.end());
            for (const std::string& name : names) {
                const std::string relative = folder.empty() ? name : folder + "/" + name;
                if (excluded.contains(relative)) continue;
                const std::string path = JoinPath(source, relative);
                PlanEntry entry;
                entry.relative = relative;
                if (ops.Stat(held, name, entry.info) != 0 || entry.info.kind == FileKind::Missing) {
                    listing.unreadable.push_back(path);
                    continue;
                }
                switch (entry.info.kind) {
                    case FileKind::Socket: listing.skipped.push_back(path); continue;
                    case FileKind::Other: listing.unreadable.push_back(path); continue;
                    case FileKind::Device:
                        if (!mayMakeDevices) listing.devices.push_back(path);
                        break;
                    case FileKind::Directory:
                        // Another file system mounted here is not part of the folder.
                        if (entry.info.device != rootInfo.device) {
                            listing.mounts.push_back(path);
                            continue;
                        }
                        break;
                    default: break;
                }
                if (ops.CheckReadable(held, name, entry.info.kind) != 0) {
                    listing.unreadable.push_back(path);
                    continue;
                }
                entry.keep = leading.contains(relative);
                entries.push_back(std::move(entry));
            }
            walk.Done(folder, std::move(listing), entries);
        }
    };
    RunOnWorkers(workers, work);

    // The order depth first from the root, the one a single thread would have found them in.
    std::unordered_map<std::string, FolderListing>& listings = walk.listings();
    PlanEntries& store = walk.store();
    std::vector<std::size_t> order;  // the store's entries, by their place in the plan
    order.reserve(store.size());
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> firstNames;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        const auto found = listings.find(folder);
        if (found == listings.end()) continue;
        FolderListing& listing = found->second;
        if (!listing.listed) scan.unreadable.push_back(JoinPath(source, folder));
        scan.unreadable.insert(scan.unreadable.end(), listing.unreadable.begin(), listing.unreadable.end());
        scan.mounts.insert(scan.mounts.end(), listing.mounts.begin(), listing.mounts.end());
        scan.devices.insert(scan.devices.end(), listing.devices.begin(), listing.devices.end());
        scan.skipped.insert(scan.skipped.end(), listing.skipped.begin(), listing.skipped.end());
        std::vector<std::string> subfolders;
        for (std::size_t at = listing.first; at < listing.first + listing.count; ++at) {
            PlanEntry& entry = store[at];
            if (entry.info.kind == FileKind::Regular && entry.info.links > 1) {
                const auto key = std::make_pair(entry.info.device, entry.info.inode);
                const auto [first, inserted] = firstNames.emplace(key, order.size());
                if (!inserted) entry.linkOf = first->second;
            }
            if (entry.info.kind == FileKind::Directory) {
                scan.folders.emplace(entry.relative, order.size());
                subfolders.push_back(entry.relative);
            }
            order.push_back(at);
        }
        listings.erase(found);
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    // Every folder listed was found in a listing above it, so `order` names each entry once;
    // were one left out, the others are still put in order, and it is not in the plan.
    if (order.size() == store.size()) {
        Reorder(store, order);
    } else {
        PlanEntries placed;
        for (const std::size_t at : order) placed.push_back(std::move(store[at]));
        store = std::move(placed);
    }
    scan.entries = std::move(store);
    return scan;
}

}  // namespace trovel::relocation
