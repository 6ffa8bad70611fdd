#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "mover/move_plan.h"

namespace trovel::relocation {

// A plan's entries handed out to several threads a folder at a time (a few hundred entries
// at most at a time), bottom up: a folder's own step runs only after every entry in it and
// every folder below it had theirs, on whichever thread finished the last of them. Folders
// in different branches go on side by side.
class BottomUp {
public:
    // `entries` stand parents first; `folders` maps a folder's place to its entry.
    BottomUp(const PlanEntries& entries, const std::unordered_map<std::string, std::size_t>& folders);

    // Takes work until there is none left or one step said stop; `file` gets each entry that
    // is not a folder, `folder` each folder once it is its turn. A step that returns false
    // stops every thread before its next step, and no folder above it is stepped.
    void Work(const std::function<bool(std::size_t entry)>& file, const std::function<bool(std::size_t entry)>& folder);
    bool stopped() const { return stop_.load(); }

private:
    struct Node {
        std::size_t entry = kNoEntry;  // the folder's entry; kNoEntry for the top
        std::size_t parent = 0;        // the node of the folder above
    };
    struct Batch {
        std::size_t node = 0;
        std::size_t begin = 0, end = 0;  // in files_
    };
    void Finish(std::size_t node, const std::function<bool(std::size_t)>& folder);

    std::vector<Node> nodes_;
    std::unique_ptr<std::atomic<std::size_t>[]> pending_;  // a node's batches and subfolders not done yet
    std::vector<std::size_t> files_;  // entries that are not folders, grouped by folder
    std::vector<Batch> batches_;
    std::atomic<std::size_t> handedOut_{0};
    std::atomic<bool> stop_{false};
};

}  // namespace trovel::relocation
