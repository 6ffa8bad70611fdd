#pragma once

#include <string>
#include <string_view>

namespace trovel::platform {

// How paths are spelled on a platform. Windows: "\" and drive roots "X:\";
// POSIX: "/" and a single tree whose root is "/".
enum class PathStyle { Windows, Posix };

char PathSeparator(PathStyle style);

// The drive part of a path by its spelling alone: "C:" for "C:\Windows" on Windows;
// on POSIX always "" (the single tree's root is "" followed by the separator).
std::string DrivePart(PathStyle style, std::string_view path);

}  // namespace trovel::platform
