#include "cli/content_run.h"

namespace trovel::cli {

relocation::FolderChoice ChoiceFor(Session& session, const catalogue::FolderInfo& folder, const Request& request) {
    relocation::FolderChoice choice;
    choice.id = folder.id;
    choice.name = session.Name(folder);
    choice.move = true;
    choice.copy = request.copy;
    choice.deleteSource = request.remove;
    choice.checkOnly = request.dryRun;
    for (const std::size_t inner : folder.nested) choice.exclusions.push_back(session.folders()[inner].id);
    return choice;
}

platform::RedirectHooks ProgressHooks(Session& session, ProgressLine& progress) {
    platform::RedirectHooks hooks;
    if (session.console().progress)
        hooks.progress = [&progress](std::uint64_t done, std::uint64_t total, std::uint64_t, std::uint64_t) {
            progress.Report(done, total);
        };
    const std::atomic<bool>* interrupted = session.console().interrupted;
    hooks.cancelled = [interrupted] { return interrupted != nullptr && interrupted->load(); };
    return hooks;
}

}  // namespace trovel::cli
