#include "mover/move_plan.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <utility>

#include "mover/folder_chain.h"
#include "mover/folder_rename.h"
#include "mover/same_content.h"
#include "platform/messages.h"
#include "platform/path_style.h"

namespace trovel::relocation {
namespace {

using platform::Fill;
using platform::FileInfo;
using platform::Tr;
using platform::FileKind;

constexpr std::uint64_t kBlock = 4096;

// The space an entry takes once copied: its allocated blocks when it is sparse, else its size in blocks.
std::uint64_t SpaceOf(const PlanEntry& entry) {
    if (entry.info.kind != FileKind::Regular) return kBlock;
    if (entry.linkOf != kNoEntry) return 0;
    const std::uint64_t whole = (entry.info.size + kBlock - 1) / kBlock * kBlock;
    return std::min(whole, std::max<std::uint64_t>(entry.info.allocated, entry.info.size == 0 ? 0 : kBlock));
}

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%') out += "%25";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string code = text.substr(i + 1, 2);
            out += code == "0A" ? '\n' : code == "0D" ? '\r' : '%';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& relative) {
    if (relative.empty()) return folder;
    if (!folder.empty() && folder.back() == '/') return folder + relative;
    return folder + "/" + relative;
}

std::string FirstFew(const std::vector<std::string>& items) {
    constexpr std::size_t kShown = 5;
    std::string text;
    for (std::size_t i = 0; i < items.size() && i < kShown; ++i) text += (i == 0 ? "" : ", ") + items[i];
    if (items.size() > kShown) text += Fill(Tr(" and %1 more"), {std::to_string(items.size() - kShown)});
    return text;
}

std::string CheckMovePaths(char separator, const std::string& source, const std::string& target,
                           const std::vector<std::string>& keptFolders) {
    const platform::PathStyle style = separator == '\\' ? platform::PathStyle::Windows : platform::PathStyle::Posix;
    if (platform::HoldsKeptFolder(style, source, keptFolders))
        return Tr("The folder is the home folder, a drive's root, or holds the system's own folders, so it "
                  "cannot be relocated: ") + source;
    if (platform::IsSameOrAbove(style, source, target)) return Tr("The destination is inside the folder: ") + target;
    if (platform::IsSameOrAbove(style, target, source)) return Tr("The folder is inside the destination: ") + target;
    return {};
}

bool PlanMove(platform::FileOps& ops, const MoveRequest& request, platform::HeldFolder sourceRoot,
              platform::HeldFolder driveRoot, MovePlan& plan, std::string& problem) {
    using platform::PathStyle;
    plan = {};
    plan.source = platform::WithoutTrailingSeparators(PathStyle::Posix, request.source);
    plan.target = platform::WithoutTrailingSeparators(PathStyle::Posix, request.target);
    plan.driveRoot = platform::WithoutTrailingSeparators(PathStyle::Posix, request.driveRoot);
    if (ops.StatHeld(sourceRoot, plan.sourceInfo) != 0 || plan.sourceInfo.kind != FileKind::Directory) {
        problem = Tr("Cannot read the folder: ") + plan.source;
        return false;
    }
    if (const int error = ops.StatHeld(driveRoot, plan.driveInfo); error != 0) {
        problem = Fill(Tr("Cannot read the drive (%1): %2"), {ops.ErrorText(error), plan.driveRoot});
        return false;
    }
    if (request.drive.known() && (plan.driveInfo.device != request.drive.device ||
                                  (request.drive.mountId != 0 && plan.driveInfo.mountId != request.drive.mountId))) {
        problem = Tr("The chosen drive is no longer mounted where the program saw it: ") + plan.driveRoot;
        return false;
    }
    if (!platform::IsSameOrAbove(PathStyle::Posix, plan.driveRoot, plan.target) || plan.target == plan.driveRoot) {
        problem = Tr("The destination is not on the chosen drive: ") + plan.target;
        return false;
    }

    SourceScan scan = ScanSource(ops, sourceRoot, plan.source, plan.sourceInfo, request.exclusions, request.workers);
    plan.entries = std::move(scan.entries);
    plan.folders = std::move(scan.folders);
    plan.skipped = std::move(scan.skipped);
    if (!scan.unreadable.empty()) {
        problem = Tr("Unreadable, so it can be neither copied nor deleted: ") + FirstFew(scan.unreadable);
        return false;
    }
    if (!scan.mounts.empty()) {
        problem = Tr("Another file system is mounted inside the folder: ") + FirstFew(scan.mounts);
        return false;
    }
    if (!scan.devices.empty()) {
        problem = Tr("A device file this program may not create: ") + FirstFew(scan.devices);
        return false;
    }

    // From the drive root to the target, a step at a time: no link, no other filesystem.
    const std::string below = plan.driveRoot == "/" ? plan.target.substr(1) : plan.target.substr(plan.driveRoot.size() + 1);
    for (std::size_t start = 0; start <= below.size();) {
        const std::size_t slash = std::min(below.find('/', start), below.size());
        if (slash > start) plan.steps.push_back(below.substr(start, slash - start));
        start = slash + 1;
    }
    std::deque<HeldGuard> held;  // the folders on the way, open until the plan is made
    platform::HeldFolder at = driveRoot;
    std::string reached = plan.driveRoot;
    for (const std::string& step : plan.steps) {
        FileInfo found;
        const std::string path = JoinPath(reached, step);
        if (const int error = ops.Stat(at, step, found); error != 0) {
            problem = Fill(Tr("Cannot read the destination (%1): %2"), {ops.ErrorText(error), path});
            return false;
        }
        if (found.kind == FileKind::Missing) break;
        if (found.kind == FileKind::Symlink) {
            problem = Tr("There is a link on the destination's path, so the content would not go to the drive: ") + path;
            return false;
        }
        if (found.kind != FileKind::Directory) {
            plan.refusal = MoveRefusal::Conflict;
            problem = std::string(plan.stepInfo.size() + 1 == plan.steps.size() ? Tr("The destination exists and is not a folder: ")
                                                                     : Tr("The destination's place is not a folder: ")) + path;
            return false;
        }
        if (found.device != plan.driveInfo.device) {
            problem = Tr("Another file system is mounted on the destination's path: ") + path;
            return false;
        }
        held.emplace_back(ops);
        if (const int error = ops.OpenChild(at, step, found, *held.back().out()); error != 0) {
            problem = Fill(Tr("Cannot read the destination (%1): %2"), {ops.ErrorText(error), path});
            return false;
        }
        at = held.back().get();
        reached = path;
        plan.stepInfo.push_back(found);
    }
    plan.existingSteps = plan.stepInfo.size();
    for (std::size_t i = plan.existingSteps; i < plan.steps.size(); ++i) {
        reached = JoinPath(reached, plan.steps[i]);
        plan.createdAncestors.push_back(reached);
    }

    if (plan.existingSteps == plan.steps.size()) {
        // The target is there: what is in it already, under the same names.
        std::vector<std::string> conflicts;
        FolderChain sourceChain(ops, sourceRoot, [&](const std::string& place) -> const FileInfo* {
            const auto found = plan.folders.find(place);
            return found == plan.folders.end() ? nullptr : &plan.entries[found->second].info;
        });
        FolderChain targetChain(ops, at, FoldersRecordedAs([&](const std::string& place) -> const ObjectId* {
            const auto found = plan.folders.find(place);
            return found == plan.folders.end() || !plan.entries[found->second].preexisting
                       ? nullptr : &plan.entries[found->second].twin;
        }));
        for (PlanEntry& entry : plan.entries) {
            const auto [place, name] = SplitPlace(entry.relative);
            if (!place.empty() && !plan.entries[plan.folders.at(place)].preexisting) continue;  // its folder is new
            const std::string there = JoinPath(plan.target, entry.relative);
            platform::HeldFolder from, to;
            FileInfo found;
            if (targetChain.Open(place, to) != 0 || ops.Stat(to, name, found) != 0) {
                conflicts.push_back(there);
                continue;
            }
            if (found.kind == FileKind::Missing) continue;
            // Nothing at the target is ever overwritten; what is the same counts as copied.
            if (sourceChain.Open(place, from) == 0 && SameContent(ops, from, name, entry.info, to, name, found)) {
                entry.preexisting = true;
                entry.twin = ObjectId(found);
            } else {
                conflicts.push_back(there);
            }
        }
        if (!conflicts.empty()) {
            plan.refusal = MoveRefusal::Conflict;
            problem = Tr("The destination already holds something else under the same name: ") + FirstFew(conflicts);
            return false;
        }
    }

    // One rename on the same filesystem needs no room.
    plan.renameWhole = request.renameOnSameFilesystem && CanRenameWhole(ops, request, plan, at);
    if (plan.renameWhole) {
        for (const PlanEntry& entry : plan.entries) {
            if (entry.info.kind != FileKind::Directory) ++plan.filesTotal;
            if (entry.info.kind == FileKind::Regular && entry.linkOf == kNoEntry) plan.bytesTotal += entry.info.size;
        }
        return true;
    }
    std::uint64_t needed = 0;
    for (const PlanEntry& entry : plan.entries) {
        if (entry.preexisting) continue;
        needed += SpaceOf(entry);
        if (entry.info.kind != FileKind::Directory) ++plan.filesTotal;
        if (entry.info.kind == FileKind::Regular && entry.linkOf == kNoEntry) plan.bytesTotal += entry.info.size;
    }
    needed += kBlock * plan.createdAncestors.size();
    std::uint64_t free = 0;
    if (const int error = ops.FreeSpace(at, free); error != 0) {
        problem = Fill(Tr("Cannot read the destination's free space (%1): %2"), {ops.ErrorText(error), reached});
        return false;
    }
    if (free < needed) {
        plan.refusal = MoveRefusal::NoRoom;
        problem = Fill(Tr("Not enough room at the destination: %1 bytes needed, %2 bytes free (%3)"),
                       {std::to_string(needed), std::to_string(free), plan.target});
        return false;
    }
    return true;
}

std::string FormatJournal(const Journal& journal) {
    std::ostringstream out;
    out << "trovel-move 2\n";
    out << "phase " << journal.phase << "\n";
    out << "source " << Escape(journal.source) << "\n";
    out << "target " << Escape(journal.target) << "\n";
    out << "drive " << Escape(journal.driveRoot) << "\n";
    out << "run " << journal.runId << "\n";
    out << "delete " << (journal.deleteSource ? 1 : 0) << "\n";
    out << "verify " << (journal.verifyContent ? 1 : 0) << "\n";
    for (const std::string& path : journal.exclusions) out << "exclude " << Escape(path) << "\n";
    for (const std::string& path : journal.createdAncestors) out << "created " << Escape(path) << "\n";
    for (const std::string& path : journal.preexisting) out << "there " << Escape(path) << "\n";
    if (journal.folderInode != 0) out << "folder " << journal.folderDevice << " " << journal.folderInode << "\n";
    if (journal.replacedEmpty) out << "replaced " << journal.replacedMode << "\n";
    out << "end\n";
    return out.str();
}

bool ParseJournal(const std::string& text, Journal& journal) {
    journal = {};
    std::istringstream in(text);
    std::string line;
    // Version 1 (before the drive and the run were recorded) is still read.
    if (!std::getline(in, line) || (line != "trovel-move 1" && line != "trovel-move 2")) return false;
    bool ended = false;
    while (std::getline(in, line)) {
        if (line == "end") {
            ended = true;
            break;
        }
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : Unescape(line.substr(space + 1));
        if (key == "phase") journal.phase = value;
        else if (key == "source") journal.source = value;
        else if (key == "target") journal.target = value;
        else if (key == "drive") journal.driveRoot = value;
        else if (key == "run") journal.runId = std::strtoull(value.c_str(), nullptr, 10);
        else if (key == "delete") journal.deleteSource = value == "1";
        else if (key == "verify") journal.verifyContent = value == "1";
        else if (key == "exclude") journal.exclusions.push_back(value);
        else if (key == "created") journal.createdAncestors.push_back(value);
        else if (key == "there") journal.preexisting.push_back(value);
        else if (key == "folder") {
            std::istringstream numbers(value);
            numbers >> journal.folderDevice >> journal.folderInode;
        } else if (key == "replaced") {
            journal.replacedEmpty = true;
            journal.replacedMode = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10)) & 07777;
        }
    }
    // A journal cut short was never in force: the run wrote nothing before it was whole.
    const auto absolute = [](const std::string& path) {
        return path.starts_with('/') && path.find("/../") == std::string::npos && !path.ends_with("/..");
    };
    if (journal.driveRoot.empty()) journal.driveRoot = "/";
    return ended && absolute(journal.source) && absolute(journal.target) && absolute(journal.driveRoot);
}

}  // namespace trovel::relocation
