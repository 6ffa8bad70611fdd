#include "platform/linux/user_dirs_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

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
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    std::string_view name = line.substr(4, equals - 4);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (!name.ends_with("_DIR") || name.size() <= 4) return false;
    key = std::string(name.substr(0, name.size() - 4));
    rest = line.substr(equals + 1);
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
        const auto close = rest.find('"');
        if (close == std::string_view::npos) continue;
        std::string_view value = rest.substr(0, close);
        std::string path;
        if (value.starts_with("$HOME")) {
            value.remove_prefix(5);
            if (!value.empty() && value.front() != '/') continue;  // "$HOMEX" is no home path
            path = home + std::string(value);
        } else if (value.starts_with('/')) {
            path = std::string(value);
        } else {
            continue;
        }
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        dirs[key] = path;
    }
    return dirs;
}

bool IsWritableUserDirPath(std::string_view path) {
    if (!path.starts_with('/')) return false;
    return path.find_first_of("\"\\$`\n\r") == std::string_view::npos;
}

std::string UserDirValue(const std::string& path, const std::string& home, bool absolute) {
    std::string trimmedHome = home;
    while (trimmedHome.size() > 1 && trimmedHome.back() == '/') trimmedHome.pop_back();
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

std::optional<std::string> ReadWholeFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool ReplaceFileAtomically(const std::string& file, const std::string& content) {
    const auto slash = file.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string folder = file.substr(0, slash);
    // Create the missing folders one level at a time, as mkdir -p does.
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at == folder.size() || folder[at] == '/') {
            const std::string part = folder.substr(0, at);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    std::string temp = file + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    std::size_t written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace trovel::platform::linux_desktop
