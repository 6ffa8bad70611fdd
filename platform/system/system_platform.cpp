#include "platform/system/system_platform.h"

#include <cstdlib>

#if defined(_WIN32)
#include "platform/windows/windows_platform.h"
#else
#include "platform/linux/linux_platform.h"
#endif

namespace trovel::platform {

std::unique_ptr<Platform> CreateSystemPlatform() {
#if defined(_WIN32)
    return std::make_unique<windows_shell::WindowsPlatform>();
#else
    return std::make_unique<linux_desktop::LinuxPlatform>();
#endif
}

bool DisplayAvailable() {
#if defined(_WIN32)
    return true;
#else
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
#endif
}

}  // namespace trovel::platform
