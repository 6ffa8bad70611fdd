// The commands that only read: list, drives, size.
#include <algorithm>
#include <ostream>

#include "cli/folder_report.h"
#include "cli/json.h"
#include "cli/result_codes.h"
#include "cli/session.h"
#include "core/basics/saturating.h"

namespace trovel::cli {
namespace {

// Characters, not bytes, of a UTF-8 text: what a terminal lines up.
std::size_t TextWidth(const std::string& text) {
    std::size_t width = 0;
    for (const unsigned char c : text) width += (c & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

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

// An empty answer explained, on the error stream (standard output holds drives only): every
// filesystem left out, with why, the system's own and those that are no local fixed drive too.
void SayWhyNoDrive(Session& session, const space::DriveListing& listing) {
    std::ostream& err = session.console().err;
    err << "trovel-cli: " << Tr("no drive is offered") << "\n";
    platform::Platform& platform = session.platform();
    const std::vector<std::string> roots = platform.LogicalDriveStrings();
    for (const std::string& root : roots) {
        const auto refused = std::find_if(listing.leftOut.begin(), listing.leftOut.end(),
                                          [&](const auto& entry) { return entry.first == root; });
        err << "  " << root << "  ";
        if (refused != listing.leftOut.end()) err << space::RefusalText(refused->second);
        else if (platform.DriveTypeOf(root) != platform::DriveType::Fixed) err << Tr("not a local fixed drive");
        else err << Tr("the system's drive");
        err << "\n";
    }
    err << Tr("a drive is offered when it is local, fixed, writable and mounted at boot, and holds neither "
                       "the system nor the home folder")
        << "\n";
}

// "  path:    ": a folder's detail line, its labels lined up in the command line's language.
std::string Label(const char* english) {
    std::size_t width = 0;
    for (const char* each : {TrLater("path"), TrLater("default"), TrLater("nested")}) width = std::max(width, TextWidth(Tr(each)));
    const std::string label = Tr(english);
    return "  " + label + ":" + std::string(width - TextWidth(label.c_str()) + 1, ' ');
}

}  // namespace

int List(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    JsonLines lines;
    // Folders a killed run left half relocated: recover (or their next move) settles them.
    const std::vector<platform::KnownFolderId> interrupted = session.manager().InterruptedRedirects();
    const std::vector<platform::RelocationRecord> history = session.manager().RelocationHistory();
    for (const FolderInfo& folder : session.folders()) {
        const std::string leftBehind = ContentLeftBehind(session, folder, history);
        const bool broken = std::find(interrupted.begin(), interrupted.end(), folder.id) != interrupted.end();
        std::vector<std::string> nested;
        for (const std::size_t inner : folder.nested) nested.push_back(session.Name(session.folders()[inner]));
        const std::string why = session.WhyNot(folder);
        if (request.json) {
            const ResultCode code = CapabilityCode(folder.capability, folder.holdsKeptFolder);
            lines.Add(FolderObject(session, folder)
                          .Text("category", CategoryName(folder.category))
                          .Flag("relocatable", why.empty())
                          .Text("code", code.code)
                          .Text("message", why)
                          .Text("path", folder.path)
                          .Text("defaultPath", folder.defaultPath)
                          .Flag("interrupted", broken)
                          .Raw("nested", JsonTextArray(nested))
                          .Text("leftBehind", leftBehind)
                          .str());
        } else {
            out << session.Name(folder);
            if (!session.Key(folder).empty()) out << " (" << session.Key(folder) << ")";
            out << "  " << folder.id.ToString() << "  " << CategoryName(folder.category) << "  "
                << (why.empty() ? Tr("relocatable") : why);
            if (broken) out << "  [" << Tr("interrupted") << "]";
            out << "\n";
            if (!folder.path.empty()) out << Label("path") << folder.path << "\n";
            if (!folder.defaultPath.empty()) out << Label("default") << folder.defaultPath << "\n";
            for (const std::string& name : nested) out << Label("nested") << name << "\n";
            if (!leftBehind.empty()) out << "  " << Tr("content left at") << ": " << leftBehind << "\n";
        }
    }
    if (request.json) out << lines.str() << "\n";
    return kSucceeded;
}

int Drives(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    const space::DriveListing listing = session.Drives();
    if (request.json) {
        JsonLines drives("{\"drives\": [", "]");
        for (const space::OfferedDrive& drive : listing.offered)
            drives.Add(JsonObject()
                           .Text("root", drive.root)
                           .Text("label", drive.label)
                           .Number("free", drive.space.freeForUser)
                           .Number("total", drive.space.total)
                           .Flag("needsAdministrator", drive.needsAdministrator)
                           .str());
        out << drives.str();
        if (request.all) {
            JsonLines leftOut(", \"leftOut\": [", "]");
            for (const auto& [root, refusal] : listing.leftOut)
                leftOut.Add(JsonObject()
                                .Text("root", root)
                                .Text("code", RefusalCode(refusal).code)
                                .Text("message", space::RefusalText(refusal))
                                .str());
            out << leftOut.str();
        }
        out << "}\n";
        return kSucceeded;
    }
    for (const space::OfferedDrive& drive : listing.offered)
        out << drive.root << "  " << (drive.label.empty() ? "-" : drive.label) << "  "
            << session.SizeText(drive.space.freeForUser) << " / " << session.SizeText(drive.space.total)
            << (drive.needsAdministrator ? "  (" + std::string(space::NeedsAdministratorText()) + ")" : std::string())
            << "\n";
    if (request.all)
        for (const auto& [root, refusal] : listing.leftOut)
            out << root << "  " << Tr("left out") << ": " << space::RefusalText(refusal) << "\n";
    if (listing.offered.empty()) SayWhyNoDrive(session, listing);
    return kSucceeded;
}

int Size(Session& session, const Request& request) {
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    std::ostream& out = session.Out();
    std::int64_t total = 0;
    JsonLines lines("{\"folders\": [", "]");
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        if (folder.path.empty() || folder.holdsKeptFolder) {
            // As on the wizard's pages: a folder without a path, or holding the home, is not measured.
            session.console().err << session.Name(folder) << ": " << Tr("not relocatable") << "\n";
            if (request.json)
                lines.Add(FolderObject(session, folder)
                              .Text("code", "not-relocatable")
                              .Text("message", Tr("not relocatable"))
                              .str());
            status = kSomeFailed;
            continue;
        }
        space::WalkCounters counters;
        const std::int64_t bytes = session.Measure(folder, counters);
        total = space::SaturatingAdd(total, bytes);
        if (request.json) {
            lines.Add(FolderObject(session, folder)
                          .Text("code", "ok")
                          .Number("bytes", bytes)
                          .Number("folders", counters.folders)
                          .Number("files", counters.files)
                          .str());
        } else {
            out << session.Name(folder) << "  " << session.SizeText(bytes) << ", " << session.Count(counters.folders) << " "
                << TrN("folder", "folders", counters.folders) << ", " << session.Count(counters.files) << " "
                << TrN("file", "files", counters.files) << "\n";
        }
    }
    if (request.json) out << lines.str() << ", \"total\": " << total << "}\n";
    else out << Tr("total") << "  " << session.SizeText(total) << "\n";
    return status;
}

}  // namespace trovel::cli
