#include "platform/path_style.h"

namespace trovel::platform {
namespace {

std::string_view Trimmed(std::string_view path, char separator) {
    while (path.size() > 1 && path.back() == separator) path.remove_suffix(1);
    return path;
}

char FoldedAscii(char c, PathStyle style) {
    return style == PathStyle::Windows && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDriveRoot(PathStyle style, std::string_view path) {
    if (style == PathStyle::Posix) return path == "/";
    return path.size() == 2 && path[1] == ':';  // "C:" once its separator is trimmed
}

}  // namespace

char PathSeparator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

std::string DrivePart(PathStyle style, std::string_view path) {
    if (style == PathStyle::Posix) return {};
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    return {};
}

std::string WithoutTrailingSeparators(PathStyle style, std::string path) {
    const std::string_view trimmed = Trimmed(path, PathSeparator(style));
    // A Windows drive root keeps its separator: "C:" alone names the drive's current folder.
    const bool windowsRoot = style == PathStyle::Windows && IsDriveRoot(style, trimmed) && path.size() > trimmed.size();
    path.resize(trimmed.size() + (windowsRoot ? 1 : 0));
    return path;
}

bool IsSameOrAbove(PathStyle style, std::string_view outer, std::string_view inner) {
    const char separator = PathSeparator(style);
    outer = Trimmed(outer, separator);
    inner = Trimmed(inner, separator);
    if (outer.empty() || inner.size() < outer.size()) return false;
    for (std::size_t i = 0; i < outer.size(); ++i)
        if (FoldedAscii(outer[i], style) != FoldedAscii(inner[i], style)) return false;
    return inner.size() == outer.size() || inner[outer.size()] == separator || outer.back() == separator;
}

bool IsSamePath(PathStyle style, std::string_view one, std::string_view other) {
    return IsSameOrAbove(style, one, other) && IsSameOrAbove(style, other, one);
}

bool HoldsKeptFolder(PathStyle style, std::string_view folder, const std::vector<std::string>& kept) {
    const std::string_view trimmed = Trimmed(folder, PathSeparator(style));
    if (trimmed.empty() || IsDriveRoot(style, trimmed)) return true;
    for (const std::string& keptFolder : kept)
        if (!keptFolder.empty() && IsSameOrAbove(style, trimmed, keptFolder)) return true;
    return false;
}

}  // namespace trovel::platform
