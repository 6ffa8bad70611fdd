#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trovel::platform {

// How paths are spelled on a platform. Windows: "\" and drive roots "X:\";
// POSIX: "/" and a single tree whose root is "/".
enum class PathStyle { Windows, Posix };

char PathSeparator(PathStyle style);

// `path` without separators at its end, keeping a root whole: "/" on POSIX, "C:\" on Windows.
std::string WithoutTrailingSeparators(PathStyle style, std::string path);

// The drive part of a path by its spelling alone: "C:" for "C:\Windows" on Windows;
// on POSIX always "" (the single tree's root is "" followed by the separator).
std::string DrivePart(PathStyle style, std::string_view path);

// Whether `outer` is `inner` or one of the folders above it, by spelling: trailing
// separators do not count; on Windows a-z and A-Z are the same, on POSIX bytes compare exactly.
bool IsSameOrAbove(PathStyle style, std::string_view outer, std::string_view inner);

// Whether two paths name the same folder by spelling, in the style's case rules.
bool IsSamePath(PathStyle style, std::string_view one, std::string_view other);

// Whether a folder may never be moved as a whole: it is a drive root, or it is or holds one
// of `kept` (the home folder and the folders the desktop keeps its settings and data in).
// Moving its content would move theirs.
bool HoldsKeptFolder(PathStyle style, std::string_view folder, const std::vector<std::string>& kept);

}  // namespace trovel::platform
