#pragma once

#include <string>

#include "core/relocation/folder_rules.h"

namespace trovel::relocation {

// What a processed row says about its folder: one short Hungarian line for the row, and the
// whole story (with the paths and the mover's own words) for its tooltip.
struct OutcomeLine {
    std::string brief;
    std::string full;
    bool success = false;  // the folder is where the user wanted it
};

// How a folder stood in its relocation run, besides its result.
struct RunContext {
    bool copy = false;        // its content was to go along
    bool notStarted = false;  // the run was stopped before this folder's turn
};

// The line of one folder of a relocation run.
OutcomeLine RelocationLine(const FolderResult& result, const RunContext& context);

// The line of one folder of the restore.
OutcomeLine RestoreLine(const FolderResult& result);

// The cause in a text of the form "cause (detail): path": the part before the first ": ",
// or the text itself when it has none.
std::string CauseOf(const std::string& text);

}  // namespace trovel::relocation
