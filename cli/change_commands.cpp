// The commands that change where folders are: move and restore.
#include <map>
#include <ostream>

#include "cli/json.h"
#include "cli/session.h"
#include "core/relocation/folder_rules.h"
#include "core/relocation/transfer_pace.h"
#include "core/space/drive_fit.h"
#include "core/basics/saturating.h"

namespace trovel::cli {
namespace {

using catalogue::FolderInfo;

// The offered drive a --to names: its root with or without the last separator.
std::optional<space::OfferedDrive> FindDrive(Session& session, std::string root) {
    const char separator = platform::PathSeparator(session.platform().Style());
    if (root.empty() || root.back() != separator) root += separator;
    for (const space::OfferedDrive& drive : session.Drives().offered)
        if (Folded(drive.root) == Folded(root)) return drive;
    return std::nullopt;
}

const char* OutcomeName(const relocation::FolderResult& result, bool stopped) {
    if (result.cancelled) return "stopped";
    switch (result.outcome) {
        case relocation::FolderOutcome::RelocatedWithContent: return "relocated";
        case relocation::FolderOutcome::Redirected: return "redirected";
        case relocation::FolderOutcome::Failed: return "failed";
        case relocation::FolderOutcome::Skipped: return stopped ? "stopped" : "skipped";
        case relocation::FolderOutcome::AlreadyThere: return "already-there";
        case relocation::FolderOutcome::Checked: return "would-relocate";
    }
    return "failed";
}

// Why a folder was not relocated, for the error stream: the run's own words when it has them.
std::string WhyNotDone(const Session& session, const relocation::FolderResult& result, bool stopped) {
    if (result.cancelled) return session.Say("stopped; this folder was rolled back");
    if (!result.errorText.empty()) return result.errorText;
    if (result.outcome == relocation::FolderOutcome::Failed) return session.Say("failed");
    return session.Say(stopped ? "skipped: stopped" : "skipped: the destination folder does not exist");
}

// Follows a content copy on standard error, a few times a second, on one line.
class ProgressLine {
public:
    explicit ProgressLine(Session& session)
        : session_(session), pace_(session.Separator(), session.console().language == Language::Hungarian) {}
    void Report(std::uint64_t done, std::uint64_t total) {
        if (const auto report = pace_.Next(done, total))
            session_.console().err << "\r" << report->text << "\033[K" << std::flush;
    }
    void End() {
        if (pace_.End()) session_.console().err << "\r\033[K" << std::flush;
    }

private:
    Session& session_;
    relocation::TransferPace pace_;
};

}  // namespace

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
    ProgressLine progress(session);
    const std::atomic<bool>* interrupted = session.console().interrupted;
    platform::RedirectHooks hooks;
    if (session.console().progress)
        hooks.progress = [&](std::uint64_t done, std::uint64_t total, std::uint64_t, std::uint64_t) { progress.Report(done, total); };
    hooks.cancelled = [interrupted] { return interrupted != nullptr && interrupted->load(); };
    // The drive as it is now, checked: the run refuses one that is no longer this one.
    if (session.platform().DriveIdentityOf(drive->root, hooks.driveDevice, hooks.driveMountId))
        hooks.driveRoot = drive->root;
    session.manager().SetRedirectHooks(hooks);
    if (request.dryRun) {
        // Every check the run makes before its first write, through the same calls, and no write:
        // the dry run refuses exactly where the run would.
        if (request.json) out << "[";
        bool first = true;
        for (const std::size_t index : *found) {
            relocation::FolderChoice choice = choiceOf(index);
            choice.checkOnly = true;
            const relocation::FolderResult checked =
                relocation::RelocateFolder(session.platform(), session.manager(), choice, drive->root);
            const bool would = checked.outcome == relocation::FolderOutcome::Checked ||
                               checked.outcome == relocation::FolderOutcome::AlreadyThere;
            if (!would) {
                status = kSomeFailed;
                session.console().err << choice.name << ": " << WhyNotDone(session, checked, false) << "\n";
            }
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
                    << ", \"outcome\": " << JsonText(would ? OutcomeName(checked, false) : "refused")
                    << ", \"error\": " << JsonText(checked.errorText)
                    << ", \"exclusions\": [";
                for (std::size_t i = 0; i < nested.size(); ++i) out << (i ? ", " : "") << JsonText(nested[i]);
                out << "], \"bytes\": " << (request.copy ? bytes[index] : 0) << "}";
            } else if (checked.outcome == relocation::FolderOutcome::AlreadyThere) {
                out << choice.name << ": " << session.Say("already there") << " -> " << destination << "\n";
            } else if (would) {
                out << session.Say("would relocate") << " " << choice.name << " -> " << destination << "  (" << operation;
                if (request.copy) out << ", " << session.SizeText(bytes[index]);
                for (const std::string& name : nested) out << ", -" << name;
                out << ")\n";
            }
            first = false;
        }
        if (request.json) out << (first ? "]\n" : "\n]\n");
        session.manager().SetRedirectHooks({});
        return status;
    }

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
                          result.outcome == relocation::FolderOutcome::Redirected ||
                          result.outcome == relocation::FolderOutcome::AlreadyThere;
        if (!done) status = kSomeFailed;
        // A failure's reason goes to the error stream too, where scripts look for it (a folder
        // another run is relocating, say); the report below stays whole.
        if (!done) session.console().err << choice.name << ": " << WhyNotDone(session, result, stopped) << "\n";
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
            else if (result.outcome == relocation::FolderOutcome::AlreadyThere)
                out << session.Say("already there") << " -> " << result.destination;
            else if (result.outcome == relocation::FolderOutcome::Failed) out << session.Say("failed");
            else out << session.Say(stopped ? "skipped: stopped" : "skipped: the destination folder does not exist");
            if (!result.errorText.empty()) out << " (" << result.errorText << ")";
            out << "\n";
        }
        first = false;
    }
    if (request.json) out << (first ? "]\n" : "\n]\n");
    session.manager().SetRedirectHooks({});
    return stopped ? StoppedStatus(session.console()) : status;
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
            session.console().err << session.Name(folder) << ": " << session.Say("failed") << "\n";
            status = kSomeFailed;
        }
    }
    return status;
}

}  // namespace trovel::cli
