// The command that settles relocations a killed run left half done: recover.
#include <algorithm>
#include <ostream>

#include "cli/json.h"
#include "cli/session.h"

namespace trovel::cli {
namespace {

using platform::RecoveryOutcome;

// The outcome as --json names it.
const char* OutcomeName(RecoveryOutcome outcome) {
    switch (outcome) {
        case RecoveryOutcome::Nothing: return "nothing";
        case RecoveryOutcome::Undone: return "undone";
        case RecoveryOutcome::Finished: return "finished";
        case RecoveryOutcome::SetAside: return "set-aside";
        case RecoveryOutcome::Busy: return "busy";
        case RecoveryOutcome::Failed: return "failed";
    }
    return "failed";
}

// The outcome in the command line's words (translated by Say).
const char* OutcomeWords(RecoveryOutcome outcome) {
    switch (outcome) {
        case RecoveryOutcome::Nothing: return "nothing to recover";
        case RecoveryOutcome::Undone: return "undone; the folder is where it was";
        case RecoveryOutcome::Finished: return "finished; the folder is at its new place";
        case RecoveryOutcome::SetAside: return "its journal was set aside, nothing was touched";
        case RecoveryOutcome::Busy: return "another run is relocating this folder";
        case RecoveryOutcome::Failed: return "failed";
    }
    return "failed";
}

}  // namespace

int Recover(Session& session, const Request& request) {
    int status = kSucceeded;
    // The folders named, or without names every folder a killed run left a journal for.
    std::vector<platform::KnownFolderId> ids;
    std::vector<std::string> names;
    if (request.folders.empty()) {
        for (const platform::KnownFolderId& id : session.manager().InterruptedRedirects()) {
            const auto index = session.Find(id.ToString());
            ids.push_back(id);
            names.push_back(index ? session.Name(session.folders()[*index]) : id.ToString());
        }
    } else {
        const auto found = session.FindAll(request.folders, status);
        if (!found) return status;
        for (const std::size_t index : *found) {
            ids.push_back(session.folders()[index].id);
            names.push_back(session.Name(session.folders()[index]));
        }
    }
    std::ostream& out = session.Out();
    if (ids.empty() && !request.json) out << session.Say("no interrupted relocation") << "\n";
    if (request.json) out << "[";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        RecoveryOutcome outcome = RecoveryOutcome::Failed;
        std::string report;
        const platform::HResult result = session.manager().RecoverRedirect(ids[i], outcome, report);
        const bool settled = platform::Succeeded(result) && (outcome == RecoveryOutcome::Nothing ||
                                                             outcome == RecoveryOutcome::Undone ||
                                                             outcome == RecoveryOutcome::Finished);
        if (!settled) {
            status = kSomeFailed;
            if (outcome == RecoveryOutcome::Nothing) outcome = RecoveryOutcome::Failed;
            // Where scripts look for the reason, as move does.
            session.console().err << names[i] << ": " << report << "\n";
        }
        if (request.json) {
            out << (i ? ",\n  " : "\n  ") << "{\"folder\": " << JsonText(names[i])
                << ", \"outcome\": " << JsonText(OutcomeName(outcome)) << ", \"message\": " << JsonText(report) << "}";
        } else {
            out << names[i] << ": " << session.Say(OutcomeWords(outcome));
            if (!report.empty()) out << " (" << report << ")";
            out << "\n";
        }
    }
    if (request.json) out << (ids.empty() ? "]\n" : "\n]\n");
    return status;
}

}  // namespace trovel::cli
