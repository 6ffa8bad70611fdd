// The listing the shell completions ask for while the user types: cheap, one word a line,
// no translation, nothing on standard error.
#include <ostream>

#include "cli/session.h"

namespace trovel::cli {

int Complete(Session& session, const Request& request) {
    std::ostream& out = session.Out();
    if (request.complete == "folders") {
        // The keys first (what one types on Linux), then the names; every folder, as size and
        // recover take any of them.
        for (const catalogue::FolderInfo& folder : session.folders())
            if (!session.Key(folder).empty()) out << session.Key(folder) << "\n";
        for (const catalogue::FolderInfo& folder : session.folders()) out << session.Name(folder) << "\n";
        return kSucceeded;
    }
    if (request.complete == "drives") {
        for (const space::OfferedDrive& drive : session.Drives().offered) out << drive.root << "\n";
        return kSucceeded;
    }
    return kUsageError;
}

}  // namespace trovel::cli
