#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"

namespace trovel::relocation {

// A held folder that is closed when it goes.
class HeldGuard {
public:
    HeldGuard(platform::FileOps& ops, platform::HeldFolder folder = {}) : ops_(ops), folder_(folder) {}
    ~HeldGuard() { ops_.Close(folder_); }
    HeldGuard(const HeldGuard&) = delete;
    HeldGuard& operator=(const HeldGuard&) = delete;
    platform::HeldFolder get() const { return folder_; }
    platform::HeldFolder* out() { return &folder_; }

private:
    platform::FileOps& ops_;
    platform::HeldFolder folder_;
};

// Opens folders below a held root by their place ("Photos/2019"), one step at a time, each
// step only when it is still the folder the run recorded there. Keeps the chain it opened
// last, so that a walk in tree order opens each folder about once.
class FolderChain {
public:
    // The recorded folder at a place below the root; null when the run knows none there.
    using Identity = std::function<const platform::FileInfo*(const std::string& place)>;

    FolderChain(platform::FileOps& ops, platform::HeldFolder root, Identity identity);
    ~FolderChain();
    FolderChain(const FolderChain&) = delete;
    FolderChain& operator=(const FolderChain&) = delete;

    // The folder at `place` ("" is the root): 0, or an errno value (kReplacedMeanwhile when a folder on the
    // way is no longer the recorded one, ENOENT when the run recorded none there).
    int Open(const std::string& place, platform::HeldFolder& folder);
    // Whether every folder held on the way to `place` (opened last) is still the one its name
    // leads to from the root: a held folder keeps working wherever its owner moves it since.
    bool StillInPlace(const std::string& place);
    // Forgets the chain (before its folders are removed).
    void Reset();

private:
    platform::FileOps& ops_;
    platform::HeldFolder root_;
    Identity identity_;
    std::vector<std::pair<std::string, platform::HeldFolder>> chain_;  // place and folder, top down
};

// Which object an entry is: its filesystem and inode, all that tells a copy this run made
// from whatever took its place since (and a sixth of what a whole FileInfo takes).
struct ObjectId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    ObjectId() = default;
    explicit ObjectId(const platform::FileInfo& info) : device(info.device), inode(info.inode) {}
    bool Is(const platform::FileInfo& info) const { return device == info.device && inode == info.inode; }
};

// A chain's Identity from recorded objects: `find` gives the folder recorded at a place, or
// null. Each chain needs its own (it keeps the one folder it is checking at the time).
FolderChain::Identity FoldersRecordedAs(std::function<const ObjectId*(const std::string& place)> find);

// "Photos/2019/a.jpg" -> "Photos/2019" and "a.jpg"; a name at the top has the place "".
std::pair<std::string, std::string> SplitPlace(const std::string& relative);

}  // namespace trovel::relocation
