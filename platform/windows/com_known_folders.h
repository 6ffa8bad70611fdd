#pragma once

#include <memory>

#include "platform/known_folder.h"
#include "platform/platform.h"

namespace trovel::platform::windows_shell {

// The shell's Known Folder Manager (CLSID_KnownFolderManager, in-process). Interfaces never
// cross threads: every call looks its folder up through a manager of the calling thread,
// the one its COM scope keeps or, on a thread without one, a manager made for that call.
// `platform` lists folders and reads free space for the checks before a content copy.
HResult CreateComKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager, Platform& platform);

// COM on the calling thread, in the multithreaded apartment (workers pump no messages),
// with the thread's manager, both released on that thread when the scope ends.
std::unique_ptr<ThreadScope> EnterComWorkerScope();

}  // namespace trovel::platform::windows_shell
