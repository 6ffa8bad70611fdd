#pragma once

#include "core/relocation/folder_rules.h"

namespace trovel::relocation {

// One folder of a restore whose content comes back too: the shell's Redirect to the folder's
// default path with the content (copy, or move when deleteSource is set), after the same
// checks a move makes. A folder already at its default path is AlreadyThere; one without a
// default path fails without a call. With checkOnly, every check and no write (Checked).
FolderResult RestoreFolderWithContent(platform::KnownFolderManager& manager, const FolderChoice& choice,
                                      platform::PathStyle style);

}  // namespace trovel::relocation
