#include "mover/same_content.h"

#include <cstdint>

namespace trovel::relocation {

using platform::FileKind;

bool SameContent(platform::FileOps& ops, const std::string& originalPath, const platform::FileInfo& original,
                 const std::string& copyPath, const platform::FileInfo& copy, bool compareData) {
    if (original.kind != copy.kind) return false;
    switch (original.kind) {
        case FileKind::Directory:
        case FileKind::Fifo: return true;
        case FileKind::Symlink: return original.linkTarget == copy.linkTarget;
        case FileKind::Device: return original.rdev == copy.rdev && original.blockDevice == copy.blockDevice;
        case FileKind::Regular: {
            if (original.size != copy.size) return false;
            if (!compareData) return true;
            std::uint64_t a = 0, b = 0;
            return ops.Hash(originalPath, a) == 0 && ops.Hash(copyPath, b) == 0 && a == b;
        }
        default: return false;
    }
}

}  // namespace trovel::relocation
