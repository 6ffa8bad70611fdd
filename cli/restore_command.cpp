// restore with --copy: the content comes back to the default place through the same run as a
// move's, with its checks, its progress line and Ctrl-C; and restore --dry-run.
#include <ostream>

#include "cli/folder_report.h"
#include "cli/json.h"
#include "cli/result_codes.h"
#include "cli/content_run.h"
#include "cli/session.h"
#include "core/relocation/restore_content.h"
#include "core/relocation/transfer_pace.h"

namespace trovel::cli {
namespace {

using catalogue::FolderInfo;

const char* OperationCode(const Request& request) {
    if (!request.copy) return "set-path";
    return request.remove ? "move-content" : "copy-content";
}

}  // namespace

int RestoreWithContent(Session& session, const Request& request) {
    int status = kSucceeded;
    const auto found = session.FindAll(request.folders, status);
    if (!found) return status;
    std::ostream& out = session.Out();
    // Nothing is done unless every named folder may be put back.
    if (RefuseUnrelocatable(session, *found, request, OperationCode(request))) return kSomeFailed;
    ProgressLine progress(session);
    const std::atomic<bool>* interrupted = session.console().interrupted;
    session.manager().SetRedirectHooks(ProgressHooks(session, progress));  // no drive: the content goes into the home

    bool stopped = false;
    JsonLines lines;
    for (const std::size_t index : *found) {
        const FolderInfo& folder = session.folders()[index];
        const relocation::FolderChoice choice = ChoiceFor(session, folder, request);
        relocation::FolderResult result;
        stopped = stopped || (interrupted != nullptr && interrupted->load());
        if (stopped) {
            result.destination = folder.defaultPath;
        } else if (request.copy) {
            result = relocation::RestoreFolderWithContent(session.manager(), choice, session.platform().Style());
        } else {
            // A dry run without content: the default path is all the restore needs.
            result.destination = folder.defaultPath;
            result.outcome = folder.defaultPath.empty() ? relocation::FolderOutcome::Failed
                             : platform::IsSamePath(session.platform().Style(), folder.path, folder.defaultPath)
                                 ? relocation::FolderOutcome::AlreadyThere
                                 : relocation::FolderOutcome::Checked;
        }
        progress.End();
        stopped = stopped || result.cancelled;
        const bool done = result.outcome == relocation::FolderOutcome::RelocatedWithContent ||
                          result.outcome == relocation::FolderOutcome::AlreadyThere ||
                          result.outcome == relocation::FolderOutcome::Checked;
        const ResultCode code = RestoreContentCode(result, stopped);
        const std::string message = result.errorText.empty() ? std::string(Tr(code.words)) : result.errorText;
        if (!done) {
            status = kSomeFailed;
            session.console().err << choice.name << ": " << message << "\n";
        }
        if (request.json) {
            lines.Add(FolderObject(session, folder)
                          .Text("destination", result.destination)
                          .Text("code", code.code)
                          .Text("message", message)
                          .Text("operation", OperationCode(request))
                          .str());
        } else {
            out << choice.name << ": " << Tr(code.words);
            if (done) out << " -> " << result.destination;
            if (done && !result.errorText.empty()) out << " (" << result.errorText << ")";
            out << "\n";
        }
    }
    if (request.json) out << lines.str() << "\n";
    session.manager().SetRedirectHooks({});
    return stopped ? StoppedStatus(session.console()) : status;
}

}  // namespace trovel::cli
