// The walk of a source folder: its folders listed on several threads, each folder's
// entries read by whichever thread took it, then put together in one order (a folder's
// children sorted by name, each subfolder's content after it, depth first) whatever the
// threads' timing was, so that a plan is the same with one worker or eight.
#include <algorithm>
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

// What one folder holds, as the thread that listed it found it.
struct FolderListing {
    bool listed = false;
    std::vector<PlanEntry> entries;  // sorted by name, the excluded folders left out
    std::vector<std::string> unreadable, mounts, devices, skipped;
};

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
    // Hands in a folder's listing, and the subfolders it found for listing next.
    void Done(const std::string& folder, FolderListing listing, const std::vector<const PlanEntry*>& subfolders) {
        {
            const std::lock_guard lock(mutex_);
            for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
                identities_.emplace((*it)->relative, (*it)->info);
                pending_.push_back((*it)->relative);
            }
            listings_.emplace(folder, std::move(listing));
            --busy_;
        }
        changed_.notify_all();
    }
    // The folder recorded at a place; stays valid while the walk lasts.
    const FileInfo* Identity(const std::string& place) {
        const std::lock_guard lock(mutex_);
        const auto found = identities_.find(place);
        return found == identities_.end() ? nullptr : &found->second;
    }
    std::unordered_map<std::string, FolderListing>& listings() { return listings_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> pending_;
    int busy_ = 0;
    std::unordered_map<std::string, FileInfo> identities_;  // nodes stay put as it grows
    std::unordered_map<std::string, FolderListing> listings_;
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
        for (std::string folder; walk.Next(folder);) {
            FolderListing listing;
            std::vector<const PlanEntry*> subfolders;
            platform::HeldFolder held;
            std::vector<std::string> names;
            if (chain.Open(folder, held) != 0 || ops.List(held, names) != 0) {
                walk.Done(folder, std::move(listing), subfolders);
                continue;
            }
            listing.listed = true;
            std::sort(names.begin(), names.end());
            listing.entries.reserve(names.size());  // no room to spare: a million entries add up
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
                listing.entries.push_back(std::move(entry));
            }
            for (const PlanEntry& entry : listing.entries)
                if (entry.info.kind == FileKind::Directory) subfolders.push_back(&entry);
            walk.Done(folder, std::move(listing), subfolders);
        }
    };
    RunOnWorkers(workers, work);

    // Put together depth first from the root, in the order one thread would have found them.
    std::unordered_map<std::string, FolderListing>& listings = walk.listings();
    std::size_t total = 0;
    for (const auto& [folder, listing] : listings) total += listing.entries.size();
    scan.entries.reserve(total);
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
        for (PlanEntry& entry : listing.entries) {
            if (entry.info.kind == FileKind::Regular && entry.info.links > 1) {
                const auto key = std::make_pair(entry.info.device, entry.info.inode);
                const auto [first, inserted] = firstNames.emplace(key, scan.entries.size());
                if (!inserted) entry.linkOf = first->second;
            }
            if (entry.info.kind == FileKind::Directory) {
                scan.folders.emplace(entry.relative, scan.entries.size());
                subfolders.push_back(entry.relative);
            }
            scan.entries.push_back(std::move(entry));
        }
        listings.erase(found);
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return scan;
}

}  // namespace trovel::relocation
