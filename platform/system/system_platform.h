#pragma once

#include <memory>

#include "platform/platform.h"

namespace trovel::platform {

// The backend of the operating system the program was built for.
std::unique_ptr<Platform> CreateSystemPlatform();

}  // namespace trovel::platform
