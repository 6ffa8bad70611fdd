// The command line's commands over the core the wizard uses: the same folder list, drive
// list, size walk, fit rule and per-folder rules, with text or JSON out.
#include "cli/command_line.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>

#include "catalogue/folder_list.h"
#include "cli/help.h"
#include "cli/json.h"
#include "platform/known_folder_ids.h"
#include "relocation/folder_rules.h"
#include "space/drive_fit.h"
#include "space/drive_list.h"
#include "space/folder_walk.h"
#include "space/saturating.h"
#include "space/size_text.h"

namespace trovel::cli {
namespace {

using catalogue::FolderInfo;
using platform::Succeeded;

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

const char* CategoryName(std::uint32_t category) {
    switch (category) {
        case platform::KF_CATEGORY_VIRTUAL: return "virtual";
        case platform::KF_CATEGORY_FIXED: return "fixed";
        case platform::KF_CATEGORY_COMMON: return "common";
        case platform::KF_CATEGORY_PERUSER: return "per-user";
        default: return "unknown";
    }
}

// What the user asked for: the command, its folders and options.
struct Request {
    std::string command;
    std::vector<std::string> folders;
    std::string to;
    bool json = false, all = false, copy = false, remove = false, dryRun = false, help = false;
};

// The registry and the drives, read once, and how to write about them.
class Session {
public:
    Session(platform::Platform& platform, Console& console) : platform_(platform), console_(console) {}

    bool Open() {
        if (!Succeeded(platform_.CreateKnownFolderManager(manager_)) || !manager_) return false;
        folders_ = catalogue::ReadFolderList(platform_, *manager_);
        for (const FolderInfo& folder : folders_) {
            if (folder.id == platform::FOLDERID_Windows) systemDrive_ = platform_.DriveOf(folder.path);
            if (folder.id == platform::FOLDERID_Profile) profile_ = folder.path;
        }
        return true;
    }

    const char* Say(const char* english) const { return cli::Say(console_.language, english); }
    std::ostream& Out() { return console_.out; }
    // A usage error: the message, and the status that says so.
    int Usage(const std::string& message) {
        console_.err << "trovel-cli: " << message << "\n";
        return kUsageError;
    }

    std::string Name(const FolderInfo& folder) const {
        return folder.definition.name.empty() ? folder.id.ToString() : folder.definition.name;
    }
    // The xdg-user-dirs key of a folder on Linux ("MUSIC"); nothing elsewhere.
    std::string Key(const FolderInfo& folder) const {
        return platform_.Style() == platform::PathStyle::Posix ? folder.definition.relativePath : std::string();
    }
    // Why a folder cannot be relocated; empty when it can.
    std::string WhyNot(const FolderInfo& folder) const {
        if (folder.capability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE) return {};
        if (folder.holdsKeptFolder) return Say("holds the home folder or the desktop's own folders");
        if (folder.capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY) return Say("denied by policy");
        if (folder.capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY_REDIRECTED)
            return Say("redirected by policy");
        if (folder.capability & platform::KF_REDIRECTION_CAPABILITIES_DENY_PERMISSIONS) return Say("no permission");
        return Say("not relocatable");
    }

    // A folder by its canonical name, its key (Linux) or its id; names and keys in any case.
    std::optional<std::size_t> Find(const std::string& text) const {
        const auto id = platform::Guid::Parse(text);
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            const FolderInfo& folder = folders_[i];
            if (id && folder.id == *id) return i;
            if (Folded(Name(folder)) == Folded(text)) return i;
            if (!Key(folder).empty() && Folded(Key(folder)) == Folded(text)) return i;
        }
        return std::nullopt;
    }
    // The named folders, or a usage error naming the first unknown one.
    std::optional<std::vector<std::size_t>> FindAll(const std::vector<std::string>& names, int& status) {
        if (names.empty()) {
            status = Usage(Say("no folder named"));
            return std::nullopt;
        }
        std::vector<std::size_t> found;
        for (const std::string& name : names) {
            const auto index = Find(name);
            if (!index) {
                status = Usage(std::string(Say("unknown folder")) + ": " + name);
                return std::nullopt;
            }
            if (std::find(found.begin(), found.end(), *index) == found.end()) found.push_back(*index);
        }
        return found;
    }

    // What the size walk of the wizard measures: the folder without its nested known folders.
    std::int64_t Measure(const FolderInfo& folder, space::WalkCounters& counters) {
        const char separator = platform::PathSeparator(platform_.Style());
        std::vector<std::string> nested;
        for (const std::size_t inner : folder.nested) nested.push_back(folders_[inner].path + separator);
        return nested.empty() ? space::GetFileObjectSize(platform_, folder.path, counters)
                              : space::GetFileObjectSizeEX(platform_, folder.path, nested, counters);
    }

    std::string SizeText(std::int64_t bytes) const {
        const space::SizeText text = space::SizeToStr(static_cast<long double>(bytes), Separator());
        return text.number + text.unit;
    }
    std::string Separator() const { return console_.language == Language::Hungarian ? "," : "."; }

    space::DriveListing Drives() { return space::ListOfferedDrives(platform_, systemDrive_, profile_); }

    platform::Platform& platform() { return platform_; }
    platform::KnownFolderManager& manager() { return *manager_; }
    const std::vector<FolderInfo>& folders() const { return folders_; }
    Console& console() { return console_; }

private:
    platform::Platform& platform_;
    Console& console_;
    std::unique_ptr<platform::KnownFolderManager> manager_;
    std::vector<FolderInfo> folders_;
    std::string systemDrive_;
    std::string profile_;
};

int List(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    if (request.json) out << "[";
    bool first = true;
    for (const FolderInfo& folder : session.folders()) {
        std::vector<std::string> nested;
        for (const std::size_t inner : folder.nested) nested.push_back(session.Name(session.folders()[inner]));
        const std::string why = session.WhyNot(folder);
        if (request.json) {
            out << (first ? "\n" : ",\n") << "  {\"name\": " << JsonText(session.Name(folder))
                << ", \"key\": " << JsonText(session.Key(folder)) << ", \"id\": " << JsonText(folder.id.ToString())
                << ", \"category\": " << JsonText(CategoryName(folder.category))
                << ", \"relocatable\": " << (why.empty() ? "true" : "false") << ", \"reason\": " << JsonText(why)
                << ", \"path\": " << JsonText(folder.path) << ", \"defaultPath\": " << JsonText(folder.defaultPath)
                << ", \"nested\": [";
            for (std::size_t i = 0; i < nested.size(); ++i) out << (i ? ", " : "") << JsonText(nested[i]);
            out << "]}";
        } else {
            out << session.Name(folder);
            if (!session.Key(folder).empty()) out << " (" << session.Key(folder) << ")";
            out << "  " << folder.id.ToString() << "  " << CategoryName(folder.category) << "  "
                << (why.empty() ? "relocatable" : why) << "\n";
            if (!folder.path.empty()) out << "  path:    " << folder.path << "\n";
            if (!folder.defaultPath.empty()) out << "  default: " << folder.defaultPath << "\n";
            for (const std::string& name : nested) out << "  nested:  " << name << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]\n" : "\n]\n");
    return kSucceeded;
}

const char* RefusalName(const Session& session, platform::TargetRefusal refusal);

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
                << session.Say("folders") << ", " << counters.files << " " << session.Say("files") << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]" : "\n]") << ", \"total\": " << total << "}\n";
    else out << session.Say("total") << "  " << session.SizeText(total) << "\n";
    return status;
}

// The offered drive a --to names: its root with or without the last separator.
std::optional<space::OfferedDrive> FindDrive(Session& session, std::string root) {
    const char separator = platform::PathSeparator(session.platform().Style());
    if (root.empty() || root.back() != separator) root += separator;
    for (const space::OfferedDrive& drive : session.Drives().offered)
        if (Folded(drive.root) == Folded(root)) return drive;
    return std::nullopt;
}

// Why a drive is left out, in the command line's language.
const char* RefusalName(const Session& session, platform::TargetRefusal refusal) {
    switch (refusal) {
        case platform::TargetRefusal::HoldsHome: return session.Say("the home folder's drive");
        case platform::TargetRefusal::SystemPartition: return session.Say("the boot partition");
        case platform::TargetRefusal::MountedOnDemand: return session.Say("not mounted at boot");
        case platform::TargetRefusal::NotWritable: return session.Say("not writable");
        case platform::TargetRefusal::None: break;
    }
    return "";
}

const char* OutcomeName(const relocation::FolderResult& result, bool stopped) {
    if (result.cancelled) return "stopped";
    switch (result.outcome) {
        case relocation::FolderOutcome::RelocatedWithContent: return "relocated";
        case relocation::FolderOutcome::Redirected: return "redirected";
        case relocation::FolderOutcome::Failed: return "failed";
        case relocation::FolderOutcome::Skipped: return stopped ? "stopped" : "skipped";
    }
    return "failed";
}

// Follows a content copy on standard error, a few times a second, on one line.
class ProgressLine {
public:
    explicit ProgressLine(Session& session) : session_(session) {}
    void Report(std::uint64_t done, std::uint64_t total) {
        std::lock_guard lock(lock_);
        const auto now = std::chrono::steady_clock::now();
        if (!shown_) start_ = now;
        else if (now - last_ < std::chrono::milliseconds(250) && done < total) return;
        shown_ = true;
        last_ = now;
        session_.console().err << "\r" << relocation::TransferText(done, total, std::chrono::duration<double>(now - start_).count(),
                                                                 session_.Separator(),
                                                                 session_.console().language == Language::Hungarian)
                               << "\033[K" << std::flush;
    }
    void End() {
        std::lock_guard lock(lock_);
        if (shown_) session_.console().err << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    Session& session_;
    std::mutex lock_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

int Move(Session& session, const Request& request) {
    if (request.to.empty()) return session.Usage(session.Say("--to needs a drive root"));
    if (request.remove && !request.copy) return session.Usage(session.Say("--delete needs --copy"));
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    const auto drive = FindDrive(session, request.to);
    if (!drive) return session.Usage(std::string(session.Say("unknown drive (see: trovel-cli drives --all)")) + ": " + request.to);
    // Nothing is done unless every named folder may be relocated.
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        if (const std::string why = session.WhyNot(folder); !why.empty()) {
            session.console().err << session.Name(folder) << ": " << why << "\n";
            return kSomeFailed;
        }
    }
    // The drive page's fit rule, over the folders whose content goes along.
    std::map<std::size_t, std::int64_t> bytes;
    std::int64_t content = 0;
    if (request.copy) {
        for (const std::size_t index : *found) {
            space::WalkCounters counters;
            bytes[index] = session.Measure(session.folders()[index], counters);
            content = space::SaturatingAdd(content, bytes[index]);
        }
        if (!space::Fits(space::AtMost(drive->space.freeForUser, drive->space.total), content)) {
            session.console().err << session.Say("the content does not fit on the drive") << ": " << session.SizeText(content)
                                  << " > " << session.SizeText(space::AtMost(drive->space.freeForUser, drive->space.total))
                                  << " (" << drive->root << ")\n";
            return kSomeFailed;
        }
    }
    std::ostream& out = session.Out();
    const auto choiceOf = [&](std::size_t index) {
        const FolderInfo& folder = session.folders()[index];
        relocation::FolderChoice choice;
        choice.id = folder.id;
        choice.name = session.Name(folder);
        choice.move = true;
        choice.copy = request.copy;
        choice.deleteSource = request.remove;
        for (const std::size_t inner : folder.nested) choice.exclusions.push_back(session.folders()[inner].id);
        return choice;
    };
    if (request.dryRun) {
        if (request.json) out << "[";
        bool first = true;
        for (const std::size_t index : *found) {
            const relocation::FolderChoice choice = choiceOf(index);
            const std::string destination =
                relocation::DestinationOf(session.manager(), choice.id, drive->root, session.platform().Style());
            const std::string operation =
                request.copy ? "Redirect " + std::string(request.remove ? "0x602" : "0x202") : "SetPath 0x2000";
            std::vector<std::string> nested;
            for (const std::size_t inner : session.folders()[index].nested)
                nested.push_back(session.Name(session.folders()[inner]));
            if (request.json) {
                out << (first ? "\n  " : ",\n  ") << "{\"name\": " << JsonText(choice.name)
                    << ", \"destination\": " << JsonText(destination) << ", \"operation\": " << JsonText(operation)
                    << ", \"exclusions\": [";
                for (std::size_t i = 0; i < nested.size(); ++i) out << (i ? ", " : "") << JsonText(nested[i]);
                out << "], \"bytes\": " << (request.copy ? bytes[index] : 0) << "}";
            } else {
                out << session.Say("would relocate") << " " << choice.name << " -> " << destination << "  (" << operation;
                if (request.copy) out << ", " << session.SizeText(bytes[index]);
                for (const std::string& name : nested) out << ", -" << name;
                out << ")\n";
            }
            first = false;
        }
        if (request.json) out << (first ? "]\n" : "\n]\n");
        return kSucceeded;
    }

    ProgressLine progress(session);
    const std::atomic<bool>* interrupted = session.console().interrupted;
    platform::RedirectHooks hooks;
    if (session.console().progress)
        hooks.progress = [&](std::uint64_t done, std::uint64_t total, std::uint64_t, std::uint64_t) { progress.Report(done, total); };
    hooks.cancelled = [interrupted] { return interrupted != nullptr && interrupted->load(); };
    session.manager().SetRedirectHooks(hooks);
    bool stopped = false;
    if (request.json) out << "[";
    bool first = true;
    for (const std::size_t index : *found) {
        const relocation::FolderChoice choice = choiceOf(index);
        relocation::FolderResult result;  // skipped, until a call says otherwise
        stopped = stopped || (interrupted != nullptr && interrupted->load());
        if (!stopped) result = relocation::RelocateFolder(session.platform(), session.manager(), choice, drive->root);
        progress.End();
        stopped = stopped || result.cancelled;
        const bool done = result.outcome == relocation::FolderOutcome::RelocatedWithContent ||
                          result.outcome == relocation::FolderOutcome::Redirected;
        if (!done) status = kSomeFailed;
        if (request.json) {
            out << (first ? "\n  " : ",\n  ") << "{\"name\": " << JsonText(choice.name)
                << ", \"destination\": " << JsonText(result.destination)
                << ", \"outcome\": " << JsonText(OutcomeName(result, stopped)) << ", \"error\": " << JsonText(result.errorText)
                << "}";
        } else {
            out << choice.name << ": ";
            if (result.cancelled) out << session.Say("stopped; this folder was rolled back");
            else if (result.outcome == relocation::FolderOutcome::RelocatedWithContent)
                out << session.Say("relocated with its content") << " -> " << result.destination;
            else if (result.outcome == relocation::FolderOutcome::Redirected)
                out << session.Say("redirected") << " -> " << result.destination;
            else if (result.outcome == relocation::FolderOutcome::Failed) out << session.Say("failed");
            else out << session.Say(stopped ? "skipped: stopped" : "skipped: the destination folder does not exist");
            if (!result.errorText.empty()) out << " (" << result.errorText << ")";
            out << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]\n" : "\n]\n");
    session.manager().SetRedirectHooks({});
    return status;
}

int Restore(Session& session, const Request& request) {
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        if (const std::string why = session.WhyNot(folder); !why.empty()) {
            session.console().err << session.Name(folder) << ": " << why << "\n";
            return kSomeFailed;
        }
    }
    std::ostream& out = session.Out();
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        const relocation::FolderResult result =
            relocation::RestoreFolder(session.manager(), folder.id, session.platform().Style());
        if (result.outcome == relocation::FolderOutcome::Redirected) {
            out << session.Name(folder) << ": " << session.Say("restored") << " -> " << result.destination << "\n";
        } else {
            out << session.Name(folder) << ": " << session.Say("failed") << "\n";
            status = kSomeFailed;
        }
    }
    return status;
}

// Reads the arguments; false, with the message, on an unknown option.
bool Parse(const std::vector<std::string>& args, Request& request, std::string& problem) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") request.help = true;
        else if (arg == "--json") request.json = true;
        else if (arg == "--all") request.all = true;
        else if (arg == "--copy") request.copy = true;
        else if (arg == "--delete") request.remove = true;
        else if (arg == "--dry-run") request.dryRun = true;
        else if (arg == "--to" && i + 1 < args.size()) request.to = args[++i];
        else if (arg.rfind("--to=", 0) == 0) request.to = arg.substr(5);
        else if (arg.size() > 1 && arg[0] == '-') {
            problem = arg;
            return false;
        } else if (request.command.empty()) request.command = arg;
        else request.folders.push_back(arg);
    }
    return true;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, platform::Platform& platform, Console& console) {
    Request request;
    std::string problem;
    Session session(platform, console);
    if (!Parse(args, request, problem)) return session.Usage(std::string(session.Say("unknown option")) + ": " + problem);
    const std::map<std::string, int (*)(Session&, const Request&)> commands = {
        {"list", List}, {"drives", Drives}, {"size", Size}, {"move", Move}, {"restore", Restore}};
    if (request.command.empty()) {
        (request.help ? console.out : console.err) << HelpText({});
        return request.help ? kSucceeded : kUsageError;
    }
    const auto command = commands.find(request.command);
    if (command == commands.end()) return session.Usage(std::string(session.Say("unknown command")) + ": " + request.command);
    if (request.help) {
        console.out << HelpText(request.command);
        return kSucceeded;
    }
    if (!session.Open()) {
        console.err << "trovel-cli: " << session.Say("the known-folder registry cannot be opened") << "\n";
        return kSomeFailed;
    }
    return command->second(session, request);
}

}  // namespace trovel::cli
