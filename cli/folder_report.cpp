#include "cli/folder_report.h"

#include <ostream>

#include "cli/result_codes.h"

namespace trovel::cli {

JsonObject FolderObject(Session& session, const catalogue::FolderInfo& folder) {
    JsonObject object;
    object.Text("name", session.Name(folder)).Text("key", session.Key(folder)).Text("id", folder.id.ToString());
    return object;
}

bool RefuseUnrelocatable(Session& session, const std::vector<std::size_t>& found, const Request& request,
                         const char* operation) {
    for (const std::size_t index : found) {
        const catalogue::FolderInfo& folder = session.folders()[index];
        const std::string why = session.WhyNot(folder);
        if (why.empty()) continue;
        session.console().err << session.Name(folder) << ": " << why << "\n";
        if (request.json) {
            JsonObject refused = FolderObject(session, folder);
            refused.Text("destination", folder.defaultPath)
                .Text("code", CapabilityCode(folder.capability, folder.holdsKeptFolder).code)
                .Text("message", why);
            if (operation != nullptr) refused.Text("operation", operation);
            JsonLines line;
            line.Add(refused.str());
            session.Out() << line.str() << "\n";
        }
        return true;
    }
    return false;
}

}  // namespace trovel::cli
