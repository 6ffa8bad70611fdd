#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/basics/list_types.h"
#include "platform/platform.h"

namespace trovel::space {

// Sub-folders and files found by a walk; the walk only adds to them.
// The sub-folders that could not be listed are counted too: the size is then only a lower bound.
struct WalkCounters {
    std::uint32_t folders = 0;
    std::uint32_t files = 0;
    std::uint32_t unreadable = 0;
    std::vector<std::string> unreadablePaths;  // the first kNamedUnreadable of them, in no order

    static constexpr std::size_t kNamedUnreadable = 10;
    void AddUnreadable(std::string path) {
        ++unreadable;
        if (unreadablePaths.size() < kNamedUnreadable) unreadablePaths.push_back(std::move(path));
    }
};

// The bytes of a file, or of a directory tree: every file counts with its logical size,
// hidden and system files too; a sub-directory whose name begins with "." is left out
// with everything in it; a sub-directory that cannot be listed counts as a folder of 0
// bytes; a link counts as the small file it is and is never followed. A path that
// cannot be read gives 0.
std::int64_t GetFileObjectSize(platform::Platform& platform, const std::string& basedir, WalkCounters& counters);

// The same, leaving out every directory whose path, with a trailing separator, is in
// `exar` (compared with only A-Z / a-z folded), together with its content.
std::int64_t GetFileObjectSizeEX(platform::Platform& platform, const std::string& basedir,
                                 const catalogue::TextList& exar, WalkCounters& counters);

// A known folder as the size measurement takes it: the plain walk when nothing is nested in
// it, the walk that leaves the nested folders out otherwise.
inline std::int64_t MeasureKnownFolder(platform::Platform& platform, const std::string& basedir,
                                       const catalogue::TextList& exar, WalkCounters& counters) {
    return exar.empty() ? GetFileObjectSize(platform, basedir, counters)
                        : GetFileObjectSizeEX(platform, basedir, exar, counters);
}

}  // namespace trovel::space
