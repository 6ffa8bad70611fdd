#pragma once

#include <memory>
#include <string>

#include "platform/directory.h"

namespace trovel::platform::linux_desktop {

// A directory opened by descriptor; sub-directories open relative to it (openat) and
// entries are examined relative to it (fstatat), so no path is ever rebuilt. Names are
// bytes: a name that is not valid UTF-8 is listed like any other.
std::unique_ptr<DirectoryHandle> OpenDirectoryAt(const std::string& path);

}  // namespace trovel::platform::linux_desktop
