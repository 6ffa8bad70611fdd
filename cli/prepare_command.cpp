// prepare: the administrator makes a user's place on a drive the user cannot write, for a
// script or over SSH, where no authentication agent can ask; the same checks as the helper.
#include <ostream>

#include "cli/json.h"
#include "cli/result_codes.h"
#include "cli/session.h"
#include "core/space/target_preparation.h"

namespace trovel::cli {

int Prepare(Session& session, const Request& request) {
    if (request.folders.size() != 1) return session.Usage(Tr("prepare needs one drive root"));
    if (request.forUser.empty()) return session.Usage(Tr("--for needs a user"));
    platform::Platform& platform = session.platform();
    space::PrepareOutcome outcome;
    space::PrepareRequest prepare;
    prepare.driveRoot = request.folders.front();
    if (!platform.IsAdministrator()) {
        outcome.refusal = space::PrepareRefusal::NotAdministrator;
        outcome.text = Tr("only an administrator can prepare a drive");
    } else if (!platform.UserAccountOf(request.forUser, prepare.user)) {
        outcome.refusal = space::PrepareRefusal::UnknownUser;
        outcome.text = std::string(Tr("unknown user")) + ": " + request.forUser;
    } else {
        outcome = space::PrepareTarget(platform, prepare);
    }
    const ResultCode code = PrepareCode(outcome.refusal, outcome.made);
    const bool done = outcome.refusal == space::PrepareRefusal::None;
    const std::string message = done ? std::string(Tr(code.words)) : outcome.text;
    if (request.json) {
        session.Out() << JsonObject()
                             .Text("root", prepare.driveRoot)
                             .Text("user", request.forUser)
                             .Text("folder", outcome.folder)
                             .Text("code", code.code)
                             .Text("message", message)
                             .str()
                      << "\n";
    } else if (done) {
        session.Out() << outcome.folder << ": " << message << " (" << prepare.user.name << ")\n";
    }
    if (!done) session.console().err << "trovel-cli prepare: " << message << "\n";
    return space::ExitStatusOf(outcome.refusal);
}

}  // namespace trovel::cli
