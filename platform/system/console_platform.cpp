#include "platform/system/console_platform.h"

#if defined(_WIN32)
#include <io.h>

#include "platform/windows/windows_platform.h"
#else
#include <unistd.h>

#include "platform/linux/linux_platform.h"
#endif

namespace trovel::platform {

std::unique_ptr<Platform> CreateConsolePlatform() {
#if defined(_WIN32)
    return std::make_unique<windows_shell::WindowsPlatform>();
#else
    return std::make_unique<linux_desktop::LinuxSystem>();
#endif
}

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
    return ::_isatty(2) != 0;
#else
    return ::isatty(2) != 0;
#endif
}

}  // namespace trovel::platform
