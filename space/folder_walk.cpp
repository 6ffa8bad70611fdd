#include "space/folder_walk.h"

#include <algorithm>

#include "catalogue/text.h"

namespace trovel::space {
namespace {

class Walk {
public:
    Walk(char separator, catalogue::TSA* exclusions, WalkCounters& counters)
        : separator_(separator), exclusions_(exclusions), counters_(counters) {}

    // `path` (ending in the separator) is kept only while there are exclusions to compare.
    std::int64_t Directory(platform::DirectoryHandle& directory, const std::string& path) {
        std::int64_t total = 0;
        platform::TreeEntry entry;
        while (directory.Next(entry)) {
            if (!entry.directory) {
                total += entry.size;
                ++counters_.files;
                continue;
            }
            if (entry.name.starts_with('.')) continue;  // ".", ".." and every dot-directory
            std::string childPath;
            if (HasExclusions()) {
                childPath = path;
                childPath.append(entry.name);
                childPath += separator_;
                if (Excluded(childPath)) continue;
            }
            ++counters_.folders;
            if (auto child = directory.OpenChild(entry.name)) total += Directory(*child, childPath);
        }
        return total;
    }

private:
    bool HasExclusions() const { return exclusions_ != nullptr && !exclusions_->empty(); }

    // A matched exclusion is dropped, so later comparisons get shorter.
    bool Excluded(const std::string& candidate) {
        const auto it = std::find_if(exclusions_->begin(), exclusions_->end(), [&](const std::string& excluded) {
            return catalogue::EqualsAsciiFolded(excluded, candidate);
        });
        if (it == exclusions_->end()) return false;
        exclusions_->erase(it);
        return true;
    }

    char separator_;
    catalogue::TSA* exclusions_;
    WalkCounters& counters_;
};

std::int64_t Measure(platform::Platform& platform, const std::string& basedir, catalogue::TSA* exclusions,
                     WalkCounters& counters) {
    const std::uint32_t attributes = platform.FileAttributes(basedir);
    // Unreadable attributes: treated as a directory, whose listing then finds nothing.
    if (attributes != platform::kInvalidAttributes && !(attributes & platform::kAttributeDirectory)) {
        std::int64_t size = 0;
        if (!platform.EntrySize(basedir, size)) return 0;
        ++counters.files;
        return size;
    }
    const char separator = platform::PathSeparator(platform.Style());
    std::string path = basedir;
    if (path.empty() || path.back() != separator) path += separator;
    auto root = platform.OpenDirectory(path);
    if (!root) return 0;
    return Walk(separator, exclusions, counters).Directory(*root, path);
}

}  // namespace

std::int64_t GetFileObjectSize(platform::Platform& platform, const std::string& basedir, WalkCounters& counters) {
    return Measure(platform, basedir, nullptr, counters);
}

std::int64_t GetFileObjectSizeEX(platform::Platform& platform, const std::string& basedir,
                                 const catalogue::TSA& exar, WalkCounters& counters) {
    catalogue::TSA working = exar;  // the record's own list is not changed by measuring
    return Measure(platform, basedir, &working, counters);
}

}  // namespace trovel::space
