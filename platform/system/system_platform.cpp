#include "platform/system/system_platform.h"

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

}  // namespace trovel::platform
