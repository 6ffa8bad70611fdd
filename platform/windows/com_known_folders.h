#pragma once

#include "platform/known_folder.h"

namespace trovel::platform::windows_shell {

// The shell's Known Folder Manager (CLSID_KnownFolderManager, in-process). Each thread
// that calls it gets COM initialised and a manager of its own, so the size and redirect
// workers use it as safely as the window's thread does.
HResult CreateComKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager);

}  // namespace trovel::platform::windows_shell
