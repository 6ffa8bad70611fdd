#include "core/basics/path_slicing.h"

namespace trovel::relocation {

void TrimOneTrailingSeparator(std::string& path, char separator) {
    if (!path.empty() && path.back() == separator) path.pop_back();
}

bool IsNestedIn(const std::string& inner, const std::string& outer, char separator) {
    return !outer.empty() && inner.size() > outer.size() && inner[outer.size()] == separator &&
           inner.compare(0, outer.size(), outer) == 0;
}

catalogue::TextList SlicePath(std::string shortPath, std::string longPath, catalogue::IntList& count, char separator) {
    TrimOneTrailingSeparator(shortPath, separator);
    TrimOneTrailingSeparator(longPath, separator);
    const std::size_t skip = shortPath.size() + 1;
    const std::string rest = skip < longPath.size() ? longPath.substr(skip) : std::string();
    catalogue::TextList components;
    std::size_t start = 0;
    while (true) {
        const auto at = rest.find(separator, start);
        components.push_back(rest.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    count.push_back(static_cast<std::int32_t>(components.size()) - 1);
    return components;
}

std::string DestinationOnDrive(const std::string& driveRoot, const std::string& defaultPath,
                               platform::PathStyle style) {
    // "C:\" on Windows, "/" on POSIX.
    const std::size_t rootLength = style == platform::PathStyle::Windows ? 3 : 1;
    if (driveRoot.empty() || defaultPath.size() <= rootLength) return {};
    return driveRoot + defaultPath.substr(rootLength);
}

}  // namespace trovel::relocation
