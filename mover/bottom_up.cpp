#include "mover/bottom_up.h"

#include "mover/folder_chain.h"

namespace trovel::relocation {

BottomUp::BottomUp(const PlanEntries& entries, const std::unordered_map<std::string, std::size_t>& folders) {
    constexpr std::size_t kMostPerBatch = 256;
    // A node for the top and one for each folder, in plan order (parents first).
    std::unordered_map<std::size_t, std::size_t> nodeOfEntry;
    nodes_.push_back(Node{});
    std::vector<std::vector<std::size_t>> filesOf(1);
    std::vector<std::size_t> subfolders(1, 0);
    const auto nodeOfPlace = [&](const std::string& place) -> std::size_t {
        if (place.empty()) return 0;
        const auto folder = folders.find(place);
        if (folder == folders.end()) return 0;
        const auto node = nodeOfEntry.find(folder->second);
        return node == nodeOfEntry.end() ? 0 : node->second;
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t parent = nodeOfPlace(SplitPlace(entries[i].relative).first);
        if (entries[i].info.kind == platform::FileKind::Directory) {
            nodeOfEntry.emplace(i, nodes_.size());
            nodes_.push_back(Node{i, parent});
            filesOf.emplace_back();
            subfolders.push_back(0);
            ++subfolders[parent];
        } else {
            filesOf[parent].push_back(i);
        }
    }
    // Every folder has at least one batch, if an empty one, so that its turn comes from its last batch.
    pending_ = std::make_unique<std::atomic<std::size_t>[]>(nodes_.size());
    for (std::size_t node = 0; node < nodes_.size(); ++node) {
        const std::vector<std::size_t>& files = filesOf[node];
        std::size_t count = 0;
        std::size_t start = 0;
        do {
            const std::size_t end = std::min(files.size(), start + kMostPerBatch);
            batches_.push_back(Batch{node, files_.size() + start, files_.size() + end});
            ++count;
            start = end;
        } while (start < files.size());
        // Later entries first, as a single thread removing children first would go.
        files_.insert(files_.end(), files.rbegin(), files.rend());
        pending_[node] = count + subfolders[node];
    }
}

void BottomUp::Work(const std::function<bool(std::size_t)>& file, const std::function<bool(std::size_t)>& folder) {
    // The last batches first: the deepest, latest folders, whose turns then come soonest.
    for (std::size_t taken; !stop_ && (taken = handedOut_++) < batches_.size();) {
        const Batch& batch = batches_[batches_.size() - 1 - taken];
        for (std::size_t at = batch.begin; at < batch.end; ++at) {
            if (stop_ || !file(files_[at])) {
                stop_ = true;
                return;
            }
        }
        Finish(batch.node, folder);
    }
}

void BottomUp::Finish(std::size_t node, const std::function<bool(std::size_t)>& folder) {
    // Up the tree for as long as this thread did the last piece of a folder.
    while (pending_[node].fetch_sub(1) == 1) {
        if (node == 0) return;
        if (stop_ || !folder(nodes_[node].entry)) {
            stop_ = true;
            return;
        }
        node = nodes_[node].parent;
    }
}

}  // namespace trovel::relocation
