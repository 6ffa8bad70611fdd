#include "mover/same_content.h"

#include <cstdint>

namespace trovel::relocation {

using platform::FileKind;

bool SameContent(platform::FileOps& ops, platform::HeldFolder originalParent, const std::string& originalName,
                 const platform::FileInfo& original, platform::HeldFolder copyParent, const std::string& copyName,
                 const platform::FileInfo& copy, bool compareData) {
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
            return ops.Hash(originalParent, originalName, a) == 0 && ops.Hash(copyParent, copyName, b) == 0 && a == b;
        }
        default: return false;
    }
}

}  // namespace trovel::relocation
