#pragma once

#include <QPixmap>

#include <string>

#include "platform/platform.h"

namespace trovel::widgets {

// The shell's 48 x 48 icon of a path as a picture, or the theme's (or a drawn) fallback.
QPixmap ShellIconPixmap(platform::Platform& platform, const std::string& path);

}  // namespace trovel::widgets
