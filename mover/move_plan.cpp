#include "mover/move_plan.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "mover/same_content.h"
#include "platform/path_style.h"

namespace trovel::relocation {
namespace {

using platform::FileInfo;
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
    if (items.size() > kShown) text += " és még " + std::to_string(items.size() - kShown);
    return text;
}

std::string CheckMovePaths(char separator, const std::string& source, const std::string& target,
                           const std::vector<std::string>& keptFolders) {
    const platform::PathStyle style = separator == '\\' ? platform::PathStyle::Windows : platform::PathStyle::Posix;
    if (platform::HoldsKeptFolder(style, source, keptFolders))
        return "A mappa a saját mappa, egy meghajtó gyökere, vagy a rendszer saját mappáit tartalmazza, "
               "ezért nem helyezhető át: " + source;
    if (platform::IsSameOrAbove(style, source, target)) return "A cél a mappán belül van: " + target;
    if (platform::IsSameOrAbove(style, target, source)) return "A mappa a célon belül van: " + target;
    return {};
}

SourceScan ScanSource(platform::FileOps& ops, const std::string& source, const FileInfo& sourceInfo,
                      const std::vector<std::string>& exclusions) {
    SourceScan scan;
    // The excluded folders, and the folders that lead to them, by their place below the source.
    std::set<std::string> excluded;
    std::set<std::string> leading;
    for (const std::string& path : exclusions) {
        const std::string clean = platform::WithoutTrailingSeparators(platform::PathStyle::Posix, path);
        if (clean.size() <= source.size() + 1 || clean.compare(0, source.size(), source) != 0 ||
            clean[source.size()] != '/')
            continue;
        const std::string relative = clean.substr(source.size() + 1);
        excluded.insert(relative);
        for (auto slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
            leading.insert(relative.substr(0, slash));
    }

    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> firstNames;
    std::vector<std::string> folders{""};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        const std::string folder = folders[next];
        std::vector<std::string> names;
        if (ops.List(JoinPath(source, folder), names) != 0) {
            scan.unreadable.push_back(JoinPath(source, folder));
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string relative = folder.empty() ? name : folder + "/" + name;
            const std::string path = JoinPath(source, relative);
            if (excluded.contains(relative)) continue;
            PlanEntry entry;
            entry.relative = relative;
            if (ops.Stat(path, entry.info) != 0 || entry.info.kind == FileKind::Missing) {
                scan.unreadable.push_back(path);
                continue;
            }
            switch (entry.info.kind) {
                case FileKind::Socket: scan.skipped.push_back(path); continue;
                case FileKind::Other: scan.unreadable.push_back(path); continue;
                case FileKind::Device:
                    if (!ops.MayMakeDevices()) scan.devices.push_back(path);
                    break;
                case FileKind::Directory:
                    // Another file system mounted here is not part of the folder.
                    if (entry.info.device != sourceInfo.device) {
                        scan.mounts.push_back(path);
                        continue;
                    }
                    break;
                default: break;
            }
            if (ops.CheckReadable(path, entry.info.kind) != 0) {
                scan.unreadable.push_back(path);
                continue;
            }
            if (entry.info.kind == FileKind::Regular && entry.info.links > 1) {
                const auto key = std::make_pair(entry.info.device, entry.info.inode);
                const auto [found, inserted] = firstNames.emplace(key, scan.entries.size());
                if (!inserted) entry.linkOf = found->second;
            }
            entry.keep = leading.contains(relative);
            if (entry.info.kind == FileKind::Directory) folders.push_back(relative);
            scan.entries.push_back(std::move(entry));
        }
    }
    return scan;
}

bool PlanMove(platform::FileOps& ops, const MoveRequest& request, MovePlan& plan, std::string& problem) {
    plan = {};
    plan.source = platform::WithoutTrailingSeparators(platform::PathStyle::Posix, request.source);
    plan.target = platform::WithoutTrailingSeparators(platform::PathStyle::Posix, request.target);
    if (ops.Stat(plan.source, plan.sourceInfo) != 0 || plan.sourceInfo.kind != FileKind::Directory) {
        problem = "A mappa nem olvasható: " + plan.source;
        return false;
    }

    SourceScan scan = ScanSource(ops, plan.source, plan.sourceInfo, request.exclusions);
    plan.entries = std::move(scan.entries);
    plan.skipped = std::move(scan.skipped);
    const auto& unreadable = scan.unreadable;
    const auto& mounts = scan.mounts;
    const auto& devices = scan.devices;
    if (!unreadable.empty()) {
        problem = "Nem olvasható, így nem másolható és nem törölhető: " + FirstFew(unreadable);
        return false;
    }
    if (!mounts.empty()) {
        problem = "A mappában másik fájlrendszer van csatolva: " + FirstFew(mounts);
        return false;
    }
    if (!devices.empty()) {
        problem = "Eszközfájl, amelyet ez a program nem hozhat létre: " + FirstFew(devices);
        return false;
    }

    // The target: what is there already, and where the new folders begin.
    FileInfo targetInfo;
    if (const int error = ops.Stat(plan.target, targetInfo); error != 0) {
        problem = "A cél nem olvasható (" + ops.ErrorText(error) + "): " + plan.target;
        return false;
    }
    std::string existing = plan.target;
    if (targetInfo.kind == FileKind::Missing) {
        std::vector<std::string> missing;
        FileInfo above;
        while (above.kind == FileKind::Missing) {
            missing.push_back(existing);
            const auto slash = existing.rfind('/');
            existing = slash == 0 ? "/" : existing.substr(0, slash);
            if (ops.Stat(existing, above) != 0) break;
        }
        if (above.kind != FileKind::Directory) {
            problem = "A cél helye nem mappa: " + existing;
            return false;
        }
        plan.createdAncestors.assign(missing.rbegin(), missing.rend());
    } else if (targetInfo.kind != FileKind::Directory) {
        problem = "A cél már létezik, és nem mappa: " + plan.target;
        return false;
    } else {
        std::vector<std::string> conflicts;
        for (PlanEntry& entry : plan.entries) {
            const std::string there = JoinPath(plan.target, entry.relative);
            FileInfo found;
            if (ops.Stat(there, found) != 0) {
                conflicts.push_back(there);
                continue;
            }
            if (found.kind == FileKind::Missing) continue;
            // Nothing at the target is ever overwritten; what is the same counts as copied.
            if (SameContent(ops, JoinPath(plan.source, entry.relative), entry.info, there, found))
                entry.preexisting = true;
            else
                conflicts.push_back(there);
        }
        if (!conflicts.empty()) {
            problem = "A célhelyen már van más tartalmú elem ugyanazon a néven: " + FirstFew(conflicts);
            return false;
        }
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
    if (const int error = ops.FreeSpace(existing, free); error != 0) {
        problem = "A cél szabad helye nem olvasható (" + ops.ErrorText(error) + "): " + existing;
        return false;
    }
    if (free < needed) {
        problem = "Nincs elég hely a célon: " + std::to_string(needed) + " bájt kellene, " + std::to_string(free) +
                  " bájt szabad (" + plan.target + ")";
        return false;
    }
    return true;
}

std::string FormatJournal(const Journal& journal) {
    std::ostringstream out;
    out << "trovel-move 1\n";
    out << "phase " << journal.phase << "\n";
    out << "source " << Escape(journal.source) << "\n";
    out << "target " << Escape(journal.target) << "\n";
    out << "delete " << (journal.deleteSource ? 1 : 0) << "\n";
    out << "verify " << (journal.verifyContent ? 1 : 0) << "\n";
    for (const std::string& path : journal.exclusions) out << "exclude " << Escape(path) << "\n";
    for (const std::string& path : journal.createdAncestors) out << "created " << Escape(path) << "\n";
    for (const std::string& path : journal.preexisting) out << "there " << Escape(path) << "\n";
    out << "end\n";
    return out.str();
}

bool ParseJournal(const std::string& text, Journal& journal) {
    journal = {};
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != "trovel-move 1") return false;
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
        else if (key == "delete") journal.deleteSource = value == "1";
        else if (key == "verify") journal.verifyContent = value == "1";
        else if (key == "exclude") journal.exclusions.push_back(value);
        else if (key == "created") journal.createdAncestors.push_back(value);
        else if (key == "there") journal.preexisting.push_back(value);
    }
    // A journal cut short was never in force: the run wrote nothing before it was whole.
    return ended && !journal.source.empty() && !journal.target.empty();
}

}  // namespace trovel::relocation
