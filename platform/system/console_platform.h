#pragma once

#include <memory>

#include "platform/platform.h"

namespace trovel::platform {

// The backend of this system for a program without windows: no desktop, no toolkit.
std::unique_ptr<Platform> CreateConsolePlatform();

// Whether standard error is a terminal (a progress line is shown there only then).
bool StandardErrorIsTerminal();

}  // namespace trovel::platform
