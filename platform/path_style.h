#pragma once

#include <string>
#include <string_view>

namespace trovel::platform {

// How paths are spelled on a platform. Windows: "\" and drive roots "X:\";
// POSIX: "/" and a single tree whose root is "/".
enum class PathStyle { Windows, Posix };

char PathSeparator(PathStyle style);

// The drive part of a path: "C:" for "C:\Windows" on Windows, "/" on POSIX.
// Empty when the path has none.
std::string DrivePart(PathStyle style, std::string_view path);

}  // namespace trovel::platform
