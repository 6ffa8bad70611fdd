// The commands that only read: list, drives, size.
#include <algorithm>
#include <ostream>

#include "cli/json.h"
#include "cli/session.h"
#include "core/basics/saturating.h"

namespace trovel::cli {
namespace {

using catalogue::FolderInfo;

const char* CategoryName(std::uint32_t category) {
    switch (category) {
        case platform::KF_CATEGORY_VIRTUAL: return "virtual";
        case platform::KF_CATEGORY_FIXED: return "fixed";
        case platform::KF_CATEGORY_COMMON: return "common";
        case platform::KF_CATEGORY_PERUSER: return "per-user";
        default: return "unknown";
    }
}

// Why a drive is left out, in the command line's language.
const char* RefusalName(Session& session, platform::TargetRefusal refusal) {
    if (session.console().language == Language::Hungarian) return space::RefusalText(refusal);  // the drive page's words
    switch (refusal) {
        case platform::TargetRefusal::HoldsHome: return "the home folder's drive";
        case platform::TargetRefusal::SystemPartition: return "the boot partition";
        case platform::TargetRefusal::MountedOnDemand: return "not mounted at boot";
        case platform::TargetRefusal::NotWritable: return "not writable";
        case platform::TargetRefusal::None: break;
    }
    return "";
}

// An empty answer explained, on the error stream (standard output holds drives only): every
// filesystem left out, with why, the system's own and those that are no local fixed drive too.
void SayWhyNoDrive(Session& session, const space::DriveListing& listing) {
    std::ostream& err = session.console().err;
    err << "trovel-cli: " << session.Say("no drive is offered") << "\n";
    platform::Platform& platform = session.platform();
    const std::vector<std::string> roots = platform.LogicalDriveStrings();
    for (const std::string& root : roots) {
        const auto refused = std::find_if(listing.leftOut.begin(), listing.leftOut.end(),
                                          [&](const auto& entry) { return entry.first == root; });
        err << "  " << root << "  ";
        if (refused != listing.leftOut.end()) err << RefusalName(session, refused->second);
        else if (platform.DriveTypeOf(root) != platform::DriveType::Fixed) err << session.Say("not a local fixed drive");
        else err << session.Say("the system's drive");
        err << "\n";
    }
    err << session.Say("a drive is offered when it is local, fixed, writable and mounted at boot, and holds neither "
                       "the system nor the home folder")
        << "\n";
}

}  // namespace

int List(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    if (request.json) out << "[";
    bool first = true;
    // Folders a killed run left half relocated: recover (or their next move) settles them.
    const std::vector<platform::KnownFolderId> interrupted = session.manager().InterruptedRedirects();
    for (const FolderInfo& folder : session.folders()) {
        const bool broken = std::find(interrupted.begin(), interrupted.end(), folder.id) != interrupted.end();
        std::vector<std::string> nested;
        for (const std::size_t inner : folder.nested) nested.push_back(session.Name(session.folders()[inner]));
        const std::string why = session.WhyNot(folder);
        if (request.json) {
            out << (first ? "\n" : ",\n") << "  {\"name\": " << JsonText(session.Name(folder))
                << ", \"key\": " << JsonText(session.Key(folder)) << ", \"id\": " << JsonText(folder.id.ToString())
                << ", \"category\": " << JsonText(CategoryName(folder.category))
                << ", \"relocatable\": " << (why.empty() ? "true" : "false") << ", \"reason\": " << JsonText(why)
                << ", \"path\": " << JsonText(folder.path) << ", \"defaultPath\": " << JsonText(folder.defaultPath)
                << ", \"interrupted\": " << (broken ? "true" : "false") << ", \"nested\": [";
            for (std::size_t i = 0; i < nested.size(); ++i) out << (i ? ", " : "") << JsonText(nested[i]);
            out << "]}";
        } else {
            out << session.Name(folder);
            if (!session.Key(folder).empty()) out << " (" << session.Key(folder) << ")";
            out << "  " << folder.id.ToString() << "  " << CategoryName(folder.category) << "  "
                << (why.empty() ? "relocatable" : why);
            if (broken) out << "  [" << session.Say("interrupted") << "]";
            out << "\n";
            if (!folder.path.empty()) out << "  path:    " << folder.path << "\n";
            if (!folder.defaultPath.empty()) out << "  default: " << folder.defaultPath << "\n";
            for (const std::string& name : nested) out << "  nested:  " << name << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]\n" : "\n]\n");
    return kSucceeded;
}

int Drives(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    const space::DriveListing listing = session.Drives();
    if (request.json) {
        out << "{\"drives\": [";
        for (std::size_t i = 0; i < listing.offered.size(); ++i) {
            const space::OfferedDrive& drive = listing.offered[i];
            out << (i ? ",\n  " : "\n  ") << "{\"root\": " << JsonText(drive.root) << ", \"label\": " << JsonText(drive.label)
                << ", \"free\": " << drive.space.freeForUser << ", \"total\": " << drive.space.total << "}";
        }
        out << (listing.offered.empty() ? "]" : "\n]");
        if (request.all) {
            out << ", \"leftOut\": [";
            for (std::size_t i = 0; i < listing.leftOut.size(); ++i)
                out << (i ? ",\n  " : "\n  ") << "{\"root\": " << JsonText(listing.leftOut[i].first)
                    << ", \"reason\": " << JsonText(RefusalName(session, listing.leftOut[i].second)) << "}";
            out << (listing.leftOut.empty() ? "]" : "\n]");
        }
        out << "}\n";
        return kSucceeded;
    }
    for (const space::OfferedDrive& drive : listing.offered)
        out << drive.root << "  " << (drive.label.empty() ? "-" : drive.label) << "  "
            << session.SizeText(drive.space.freeForUser) << " / " << session.SizeText(drive.space.total) << "\n";
    if (request.all)
        for (const auto& [root, refusal] : listing.leftOut)
            out << root << "  " << session.Say("left out") << ": " << RefusalName(session, refusal) << "\n";
    if (listing.offered.empty()) SayWhyNoDrive(session, listing);
    return kSucceeded;
}

int Size(Session& session, const Request& request) {
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    std::ostream& out = session.Out();
    std::int64_t total = 0;
    if (request.json) out << "{\"folders\": [";
    bool first = true;
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        if (folder.path.empty() || folder.holdsKeptFolder) {
            // As on the wizard's pages: a folder without a path, or holding the home, is not measured.
            session.console().err << session.Name(folder) << ": " << session.Say("not relocatable") << "\n";
            status = kSomeFailed;
            continue;
        }
        space::WalkCounters counters;
        const std::int64_t bytes = session.Measure(folder, counters);
        total = space::SaturatingAdd(total, bytes);
        if (request.json) {
            out << (first ? "\n  " : ",\n  ") << "{\"name\": " << JsonText(session.Name(folder)) << ", \"bytes\": " << bytes
                << ", \"folders\": " << counters.folders << ", \"files\": " << counters.files << "}";
        } else {
            out << session.Name(folder) << "  " << session.SizeText(bytes) << ", " << counters.folders << " "
                << session.Say(counters.folders == 1 ? "folder" : "folders") << ", " << counters.files << " "
                << session.Say(counters.files == 1 ? "file" : "files") << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]" : "\n]") << ", \"total\": " << total << "}\n";
    else out << session.Say("total") << "  " << session.SizeText(total) << "\n";
    return status;
}

}  // namespace trovel::cli
