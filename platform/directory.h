#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace trovel::platform {

// One entry of a directory listing. `name` stays valid until the next call on its handle.
struct TreeEntry {
    std::string_view name;
    bool directory = false;  // a link is never a directory here, whatever it points at
    std::int64_t size = 0;   // logical size; not read for directories
};

// An open directory of a tree walk: its entries one by one, and its sub-directories
// opened relative to it, so that a walk never spells out whole paths.
class DirectoryHandle {
public:
    virtual ~DirectoryHandle() = default;
    // False at the end of the listing.
    virtual bool Next(TreeEntry& entry) = 0;
    // Null when the sub-directory cannot be listed.
    virtual std::unique_ptr<DirectoryHandle> OpenChild(std::string_view name) = 0;
    // Whether the last OpenChild failed only because the process had no handle left to
    // give (too many open files), which says nothing about the directory itself.
    virtual bool LastOpenRanOutOfHandles() const { return false; }
    // The mounted filesystem this directory is on; 0 when the platform cannot tell.
    virtual std::uint64_t FilesystemId() const { return 0; }
};

}  // namespace trovel::platform
