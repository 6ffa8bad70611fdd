#pragma once

#include <cstddef>
#include <vector>

#include "cli/json.h"
#include "cli/session.h"

namespace trovel::cli {

// The members every per-folder JSON object starts with: its name, key and id.
JsonObject FolderObject(Session& session, const catalogue::FolderInfo& folder);

// A command that changes folders does nothing unless every named one may be changed: the first
// that may not is named on standard error (and, with --json, as a line of its own carrying
// `operation` when one is given). True when one was refused.
bool RefuseUnrelocatable(Session& session, const std::vector<std::size_t>& found, const Request& request,
                         const char* operation = nullptr);

}  // namespace trovel::cli
