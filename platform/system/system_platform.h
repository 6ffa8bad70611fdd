#pragma once

#include <memory>

#include "platform/platform.h"

namespace trovel::platform {

// The backend of the operating system the program was built for.
std::unique_ptr<Platform> CreateSystemPlatform();

// Whether a window can be shown: always on Windows; on Linux when DISPLAY or WAYLAND_DISPLAY
// names a display, or QT_QPA_PLATFORM chooses a platform plugin (offscreen, say).
bool DisplayAvailable();

}  // namespace trovel::platform
