// The commands that change where folders are: move and restore.
#include <functional>
#include <map>
#include <ostream>

#include "cli/folder_report.h"
#include "cli/json.h"
#include "cli/result_codes.h"
#include "cli/content_run.h"
#include "cli/session.h"
#include "core/relocation/folder_rules.h"
#include "core/relocation/transfer_pace.h"
#include "core/space/drive_fit.h"
#include "core/basics/path_slicing.h"
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

// What a move does to a folder: a stable word for scripts, and the words for people (the
// shell's call and flags where the shell does it, plain words on a desktop).
struct Operation {
    const char* code;
    std::string text;
};

Operation OperationOf(Session& session, const Request& request) {
    if (!request.copy) return {"set-path", session.DesktopNaming() ? Tr("register the path only") : "SetPath 0x2000"};
    if (request.remove)
        return {"move-content", session.DesktopNaming() ? Tr("move the content") : "Redirect 0x602"};
    return {"copy-content", session.DesktopNaming() ? Tr("copy the content") : "Redirect 0x202"};
}

// Why a folder was not relocated, for the error stream: the run's own words when it has them.
std::string WhyNotDone(const relocation::FolderResult& result, bool stopped) {
    if (result.cancelled) return Tr("stopped; this folder was rolled back");
    if (!result.errorText.empty()) return result.errorText;
    if (result.outcome == relocation::FolderOutcome::Failed) return Tr("failed");
    return stopped ? Tr("skipped: stopped") : Tr("skipped: the destination folder does not exist");
}

// On a drive where the user cannot make their place, an administrator's approval makes it,
// once, before anything is written; without it nothing happens and every folder says why.
int AskAdministrator(Session& session, const Request& request, const space::OfferedDrive& drive,
                     const std::vector<std::size_t>& found, const std::function<std::string(std::size_t)>& destinationOf) {
    platform::Platform& platform = session.platform();
    const std::string place = relocation::DestinationOnDrive(drive.root, session.profile(), platform.Style());
    std::string text;
    const platform::Approval approval = platform.AskAdministratorToPrepare(drive.root, place, text);
    if (approval == platform::Approval::Given) return kSucceeded;
    const char* code = "approval-refused";
    if (approval == platform::Approval::NoAgent) {
        platform::UserAccount user;
        const std::string name = platform.UserAccountOf("", user) ? user.name : std::string("USER");
        code = "needs-administrator";
        text = std::string(Tr("administrator approval needed, and nobody can be asked for it here; an administrator "
                              "can prepare the drive with")) +
               ": sudo trovel-cli prepare " + drive.root + " --for " + name;
    }
    const std::string message = std::string(Tr("not started")) + ": " + text;
    JsonLines lines;
    for (const std::size_t index : found) {
        const std::string name = session.Name(session.folders()[index]);
        session.console().err << name << ": " << message << "\n";
        if (request.json)
            lines.Add(FolderObject(session, session.folders()[index])
                          .Text("destination", destinationOf(index))
                          .Text("code", code)
                          .Text("message", message)
                          .str());
        else
            session.Out() << name << ": " << message << "\n";
    }
    if (request.json) session.Out() << lines.str() << "\n";
    return kSomeFailed;
}

}  // namespace

int Move(Session& session, const Request& request) {
    if (request.to.empty()) return session.Usage(Tr("--to needs a drive root"));
    if (request.remove && !request.copy) return session.Usage(Tr("--delete needs --copy"));
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    const auto drive = FindDrive(session, request.to);
    if (!drive) return session.Usage(std::string(Tr("unknown drive (see: trovel-cli drives --all)")) + ": " + request.to);
    std::ostream& out = session.Out();
    const auto destinationOf = [&](std::size_t index) {
        return relocation::DestinationOf(session.manager(), session.folders()[index].id, drive->root,
                                         session.platform().Style());
    };
    // Nothing is done unless every named folder may be relocated.
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        if (const std::string why = session.WhyNot(folder); !why.empty()) {
            session.console().err << session.Name(folder) << ": " << why << "\n";
            if (request.json) {
                JsonLines refused;
                refused.Add(FolderObject(session, folder)
                                .Text("destination", destinationOf(index))
                                .Text("code", CapabilityCode(folder.capability, folder.holdsKeptFolder).code)
                                .Text("message", why)
                                .str());
                out << refused.str() << "\n";
            }
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
            // A folder already where it would go takes no more room there.
            const std::string& now = session.folders()[index].path;
            if (!now.empty() && platform::IsSamePath(session.platform().Style(), now, destinationOf(index))) continue;
            content = space::SaturatingAdd(content, bytes[index]);
        }
        if (!space::Fits(space::AtMost(drive->space.freeForUser, drive->space.total), content)) {
            const std::string message =
                std::string(Tr("the content does not fit on the drive")) + ": " + session.SizeText(content) +
                " > " + session.SizeText(space::AtMost(drive->space.freeForUser, drive->space.total)) + " (" +
                drive->root + ")";
            session.console().err << message << "\n";
            if (request.json) {
                JsonLines refused;
                for (const std::size_t index : *found)
                    refused.Add(FolderObject(session, session.folders()[index])
                                    .Text("destination", destinationOf(index))
                                    .Text("code", "no-room")
                                    .Text("message", message)
                                    .str());
                out << refused.str() << "\n";
            }
            return kSomeFailed;
        }
    }
    if (drive->needsAdministrator && !request.dryRun) {
        if (const int asked = AskAdministrator(session, request, *drive, *found, destinationOf); asked != kSucceeded)
            return asked;
    }
    const auto choiceOf = [&](std::size_t index) { return ChoiceFor(session, session.folders()[index], request); };
    ProgressLine progress(session);
    const std::atomic<bool>* interrupted = session.console().interrupted;
    platform::RedirectHooks hooks = ProgressHooks(session, progress);
    // The drive as it is now, checked: the run refuses one that is no longer this one.
    if (session.platform().DriveIdentityOf(drive->root, hooks.driveDevice, hooks.driveMountId))
        hooks.driveRoot = drive->root;
    session.manager().SetRedirectHooks(hooks);
    if (request.dryRun) {
        // Every check the run makes before its first write, through the same calls, and no write:
        // the dry run refuses exactly where the run would.
        const Operation operation = OperationOf(session, request);
        if (drive->needsAdministrator)
            session.console().err << drive->root << ": " << space::NeedsAdministratorText() << "\n";
        JsonLines lines;
        for (const std::size_t index : *found) {
            const relocation::FolderChoice choice = choiceOf(index);  // only checked: this is the dry run
            const relocation::FolderResult checked =
                relocation::RelocateFolder(session.platform(), session.manager(), choice, drive->root);
            const bool would = checked.outcome == relocation::FolderOutcome::Checked ||
                               checked.outcome == relocation::FolderOutcome::AlreadyThere;
            if (!would) {
                status = kSomeFailed;
                session.console().err << choice.name << ": " << WhyNotDone(checked, false) << "\n";
            }
            const ResultCode code = MoveCode(checked, false);
            const std::string destination = checked.destination.empty() ? destinationOf(index) : checked.destination;
            std::vector<std::string> nested;
            for (const std::size_t inner : session.folders()[index].nested)
                nested.push_back(session.Name(session.folders()[inner]));
            if (request.json) {
                lines.Add(FolderObject(session, session.folders()[index])
                              .Text("destination", destination)
                              .Text("code", code.code)
                              .Text("message", checked.errorText.empty() ? std::string(Tr(code.words))
                                                                         : checked.errorText)
                              .Text("operation", operation.code)
                              .Raw("exclusions", JsonTextArray(nested))
                              .Number("bytes", request.copy ? bytes[index] : 0)
                              .str());
            } else if (checked.outcome == relocation::FolderOutcome::Checked) {
                out << Tr("would relocate") << " " << choice.name << " -> " << destination << "  ("
                    << operation.text;
                if (request.copy) out << ", " << session.SizeText(bytes[index]);
                for (const std::string& name : nested) out << ", -" << name;
                out << ")\n";
            } else {
                out << choice.name << ": " << Tr(code.words);
                if (would) out << " -> " << destination;
                out << "\n";
            }
        }
        if (request.json) out << lines.str() << "\n";
        session.manager().SetRedirectHooks({});
        return status;
    }

    bool stopped = false;
    JsonLines lines;
    for (const std::size_t index : *found) {
        const relocation::FolderChoice choice = choiceOf(index);
        relocation::FolderResult result;  // skipped, until a call says otherwise
        stopped = stopped || (interrupted != nullptr && interrupted->load());
        if (!stopped) result = relocation::RelocateFolder(session.platform(), session.manager(), choice, drive->root);
        else result.destination = destinationOf(index);  // where it would have gone
        progress.End();
        stopped = stopped || result.cancelled;
        const bool done = result.outcome == relocation::FolderOutcome::RelocatedWithContent ||
                          result.outcome == relocation::FolderOutcome::Redirected ||
                          result.outcome == relocation::FolderOutcome::AlreadyThere;
        if (!done) status = kSomeFailed;
        // A failure's reason goes to the error stream too, where scripts look for it (a folder
        // another run is relocating, say); the report below stays whole.
        if (!done) session.console().err << choice.name << ": " << WhyNotDone(result, stopped) << "\n";
        const ResultCode code = MoveCode(result, stopped);
        if (request.json) {
            lines.Add(FolderObject(session, session.folders()[index])
                          .Text("destination", result.destination)
                          .Text("code", code.code)
                          .Text("message", result.errorText.empty() ? std::string(Tr(code.words)) : result.errorText)
                          .str());
        } else {
            out << choice.name << ": " << Tr(code.words);
            if (done) out << " -> " << result.destination;
            if (!result.errorText.empty()) out << " (" << result.errorText << ")";
            out << "\n";
        }
    }
    if (request.json) out << lines.str() << "\n";
    session.manager().SetRedirectHooks({});
    return stopped ? StoppedStatus(session.console()) : status;
}

int Restore(Session& session, const Request& request) {
    if (request.remove && !request.copy) return session.Usage(Tr("--delete needs --copy"));
    if (request.copy || request.dryRun) return RestoreWithContent(session, request);
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    std::ostream& out = session.Out();
    if (RefuseUnrelocatable(session, *found, request)) return kSomeFailed;
    JsonLines lines;
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        const relocation::FolderResult result =
            relocation::RestoreFolder(session.manager(), folder.id, session.platform().Style());
        const ResultCode code = RestoreCode(result);
        const bool done = result.outcome == relocation::FolderOutcome::Redirected;
        if (!done) status = kSomeFailed;
        if (request.json) {
            lines.Add(FolderObject(session, folder)
                          .Text("destination", result.destination)
                          .Text("code", code.code)
                          .Text("message", Tr(code.words))
                          .str());
        } else if (done) {
            out << session.Name(folder) << ": " << Tr(code.words) << " -> " << result.destination << "\n";
        } else {
            out << session.Name(folder) << ": " << Tr(code.words) << "\n";
            session.console().err << session.Name(folder) << ": " << Tr(code.words) << "\n";
        }
    }
    if (request.json) out << lines.str() << "\n";
    return status;
}

}  // namespace trovel::cli
