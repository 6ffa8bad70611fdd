#include "platform/linux/user_dirs_file.h"

#include <cstdint>
#include <vector>

#include "platform/path_style.h"

namespace trovel::platform::linux_desktop {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits "  XDG_MUSIC_DIR = ..." into the key and the rest after "=";
// false for lines that set no user directory.
bool SplitAssignment(std::string_view line, std::string& key, std::string_view& rest) {
    std::size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    line.remove_prefix(pos);
    if (!line.starts_with("XDG_")) return false;
    std::size_t end = 4;
    while (end < line.size() && !IsBlank(line[end]) && line[end] != '=') ++end;
    const std::string_view name = line.substr(4, end - 4);
    while (end < line.size() && IsBlank(line[end])) ++end;
    if (end == line.size() || line[end] != '=') return false;
    if (!name.ends_with("_DIR") || name.size() <= 4) return false;
    key = std::string(name.substr(0, name.size() - 4));
    rest = line.substr(end + 1);
    return true;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

std::map<std::string, std::string> ParseUserDirs(std::string_view text, const std::string& home) {
    std::map<std::string, std::string> dirs;
    for (std::string_view line : Lines(text)) {
        std::string key;
        std::string_view rest;
        if (!SplitAssignment(line, key, rest)) continue;
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        if (!rest.starts_with('"')) continue;
        rest.remove_prefix(1);
        const bool homeRelative = rest.starts_with("$HOME");
        if (homeRelative) rest.remove_prefix(5);
        else if (!rest.starts_with('/')) continue;
        // GLib takes everything up to the line's last quote, comments and all.
        const auto close = rest.rfind('"');
        if (close == std::string_view::npos) continue;
        std::string_view value = rest.substr(0, close);
        std::string path;
        if (homeRelative) {
            // "$HOMEX/M" is the home folder's X/M to GLib, which joins the two with a separator.
            while (value.starts_with('/')) value.remove_prefix(1);
            path = home;
            if (!value.empty()) path += "/" + std::string(value);
        } else {
            path = std::string(value);
        }
        dirs[key] = WithoutTrailingSeparators(PathStyle::Posix, path);
    }
    return dirs;
}

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) { ++i; continue; }
        if (lead >= 0xC2 && lead <= 0xDF) { length = 2; code = lead & 0x1Fu; }
        else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; code = lead & 0x0Fu; }
        else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; code = lead & 0x07u; }
        else return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

bool IsWritableUserDirPath(std::string_view path) {
    if (!path.starts_with('/')) return false;
    if (!IsValidUtf8(path)) return false;  // Qt would read such a byte back as U+FFFD
    return path.find_first_of("\"\\$`\n\r") == std::string_view::npos;
}

std::string NormalisedAbsolutePath(std::string_view path) {
    if (!path.starts_with('/')) return {};
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        while (path.starts_with('/')) path.remove_prefix(1);
        const auto end = path.find('/');
        const std::string_view part = path.substr(0, end);
        path.remove_prefix(end == std::string_view::npos ? path.size() : end);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

std::string UserDirValue(const std::string& path, const std::string& home, bool absolute) {
    const std::string trimmedHome = WithoutTrailingSeparators(PathStyle::Posix, home);
    if (!absolute && trimmedHome.size() > 1 && path.starts_with(trimmedHome)) {
        const std::string rest = path.substr(trimmedHome.size());
        if (rest.empty() || rest.front() == '/') return "\"$HOME" + rest + "\"";
    }
    return "\"" + path + "\"";
}

std::string RewriteUserDirs(std::string_view text, const std::string& key, const std::string& value) {
    const std::string assignment = "XDG_" + key + "_DIR=" + value;
    std::string out;
    bool replaced = false;
    for (std::string_view line : Lines(text)) {
        std::string lineKey;
        std::string_view rest;
        if (SplitAssignment(line, lineKey, rest) && lineKey == key) {
            out += assignment;
            replaced = true;
        } else {
            out += line;
        }
        out += '\n';
    }
    if (!replaced) out += assignment + "\n";
    return out;
}

}  // namespace trovel::platform::linux_desktop
