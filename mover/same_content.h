#pragma once

#include <string>

#include "platform/file_ops.h"

namespace trovel::relocation {

// Whether the entry `copyName` holds what `originalName` holds: the same kind, link target and
// device numbers, and for a regular file the same size and, when `compareData`, the same
// bytes. The plan uses it for what is already at the target, the verification for what was
// copied, and the recovery before it removes either twin.
bool SameContent(platform::FileOps& ops, platform::HeldFolder originalParent, const std::string& originalName,
                 const platform::FileInfo& original, platform::HeldFolder copyParent, const std::string& copyName,
                 const platform::FileInfo& copy, bool compareData = true);

}  // namespace trovel::relocation
