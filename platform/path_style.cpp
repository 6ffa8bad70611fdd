#include "platform/path_style.h"

namespace trovel::platform {

char PathSeparator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

std::string DrivePart(PathStyle style, std::string_view path) {
    if (style == PathStyle::Posix) return {};
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    return {};
}

}  // namespace trovel::platform
