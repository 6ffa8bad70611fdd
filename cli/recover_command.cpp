// The command that settles relocations a killed run left half done: recover.
#include <algorithm>
#include <ostream>

#include "cli/json.h"
#include "cli/result_codes.h"
#include "cli/session.h"

namespace trovel::cli {

using platform::RecoveryOutcome;

int Recover(Session& session, const Request& request) {
    int status = kSucceeded;
    // The folders named, or without names every folder a killed run left a journal for.
    std::vector<platform::KnownFolderId> ids;
    std::vector<std::string> names, keys;
    if (request.folders.empty()) {
        for (const platform::KnownFolderId& id : session.manager().InterruptedRedirects()) {
            const auto index = session.Find(id.ToString());
            ids.push_back(id);
            names.push_back(index ? session.Name(session.folders()[*index]) : id.ToString());
            keys.push_back(index ? session.Key(session.folders()[*index]) : std::string());
        }
    } else {
        const auto found = session.FindAll(request.folders, status);
        if (!found) return status;
        for (const std::size_t index : *found) {
            ids.push_back(session.folders()[index].id);
            names.push_back(session.Name(session.folders()[index]));
            keys.push_back(session.Key(session.folders()[index]));
        }
    }
    std::ostream& out = session.Out();
    if (ids.empty() && !request.json) out << Tr("no interrupted relocation") << "\n";
    JsonLines lines;
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
        const ResultCode code = RecoverCode(outcome);
        if (request.json) {
            lines.Add(JsonObject()
                          .Text("name", names[i])
                          .Text("key", keys[i])
                          .Text("id", ids[i].ToString())
                          .Text("code", code.code)
                          .Text("message", report.empty() ? std::string(Tr(code.words)) : report)
                          .str());
        } else {
            out << names[i] << ": " << Tr(code.words);
            if (!report.empty()) out << " (" << report << ")";
            out << "\n";
        }
    }
    if (request.json) out << lines.str() << "\n";
    return status;
}

}  // namespace trovel::cli
