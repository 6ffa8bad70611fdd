#include "mover/target_preflight.h"

#include <algorithm>
#include <map>

#include "platform/messages.h"
#include "platform/path_style.h"
#include "mover/move_plan.h"

namespace trovel::relocation {
namespace {

using platform::DirectoryEntry;
using platform::Fill;
using platform::Tr;

// Names as the file system compares them: Windows folds ASCII case.
std::string NameKey(platform::PathStyle style, std::string name) {
    if (style == platform::PathStyle::Windows)
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return name;
}

bool IsDirectory(const DirectoryEntry& entry) { return (entry.attributes & platform::kAttributeDirectory) != 0; }

}  // namespace

std::string CheckContentTarget(platform::Platform& platform, const std::string& source, const std::string& target,
                               const std::vector<std::string>& exclusions) {
    const platform::PathStyle style = platform.Style();
    const char separator = platform::PathSeparator(style);
    const auto join = [separator](const std::string& folder, const std::string& name) {
        return !folder.empty() && folder.back() == separator ? folder + name : folder + separator + name;
    };
    std::vector<std::string> excluded;
    for (const std::string& path : exclusions) {
        excluded.push_back(platform::WithoutTrailingSeparators(style, NameKey(style, path)));
    }
    std::vector<std::string> unreadable, conflicts;
    std::int64_t needed = 0;
    // Relative folders still to look at; a list, not recursion, so depth costs no stack.
    std::vector<std::string> pending{std::string()};
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        const std::string from = relative.empty() ? source : join(source, relative);
        const std::string to = relative.empty() ? target : join(target, relative);
        std::vector<DirectoryEntry> entries, there;
        if (!platform.ListDirectory(from, entries)) {
            unreadable.push_back(from);
            continue;
        }
        // What stands at the target already (nothing when the folder is not there yet).
        std::map<std::string, DirectoryEntry> existing;
        if (platform.FileAttributes(to) != platform::kInvalidAttributes) {
            if (!platform.ListDirectory(to, there)) unreadable.push_back(to);
            for (DirectoryEntry& entry : there) existing.emplace(NameKey(style, entry.name), std::move(entry));
        }
        for (const DirectoryEntry& entry : entries) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string path = join(from, entry.name);
            if (std::find(excluded.begin(), excluded.end(), NameKey(style, path)) != excluded.end()) continue;
            const auto twin = existing.find(NameKey(style, entry.name));
            const bool present = twin != existing.end();
            if (present && IsDirectory(twin->second) != IsDirectory(entry)) {
                conflicts.push_back(join(to, entry.name));
                continue;
            }
            if (IsDirectory(entry)) {
                // A junction is an entry of its own, as the shell treats it: neither walked nor
                // counted as unreadable (stock profiles deny listing Documents\My Music).
                if ((entry.attributes & platform::kAttributeReparsePoint) == 0)
                    pending.push_back(relative.empty() ? entry.name : join(relative, entry.name));
            } else if (!present) {
                needed += entry.size;
            } else if (twin->second.size != entry.size || twin->second.modified != entry.modified) {
                conflicts.push_back(join(to, entry.name));
            }
        }
    }
    if (!unreadable.empty()) return Tr("Unreadable, so it can be neither copied nor deleted: ") + FirstFew(unreadable);
    if (!conflicts.empty())
        return Tr("The destination already holds something else under the same name: ") + FirstFew(conflicts);
    platform::VolumeSpace space;
    const std::string root = platform.DriveOf(target) + separator;
    // Where the free space cannot be read the shell's own copy finds out; nothing is lost either way.
    if (platform.DiskFreeSpace(root, space) && needed > space.freeForUser)
        return Fill(Tr("Not enough room at the destination: %1 bytes needed, %2 bytes free (%3)"),
                    {std::to_string(needed), std::to_string(space.freeForUser), root});
    return {};
}

}  // namespace trovel::relocation
