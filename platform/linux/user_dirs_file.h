#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace trovel::platform::linux_desktop {

// The xdg-user-dirs registry file ($XDG_CONFIG_HOME/user-dirs.dirs): lines such as
// XDG_MUSIC_DIR="$HOME/Music", shell-sourceable, with comments and unknown keys.

// Key ("MUSIC") to absolute path, as GLib reads the file: leading blanks allowed,
// quoted values only, "$HOME" expanded at a path boundary, relative paths ignored,
// a later line for the same key wins.
std::map<std::string, std::string> ParseUserDirs(std::string_view text, const std::string& home);

// Whether every reader (the shell, GLib, Qt) reads `path` back exactly as written:
// absolute, and none of " \ $ ` or a line break in it.
bool IsWritableUserDirPath(std::string_view path);

// The quoted value for `path`: "$HOME/..." when it lies under `home` at a path boundary
// (unless `absolute`), else the absolute path itself.
std::string UserDirValue(const std::string& path, const std::string& home, bool absolute);

// `text` with every line that sets `key` replaced by one that sets it to `value`
// (appended when there is none); every other line, comment and key kept as it was.
std::string RewriteUserDirs(std::string_view text, const std::string& key, const std::string& value);

// Replaces `file` with `content` all at once: a temporary file in the same folder,
// mode 0600, flushed to disk, then renamed over it. Creates the folder when missing.
// Returns false, leaving the old file untouched, when any step fails.
bool ReplaceFileAtomically(const std::string& file, const std::string& content);

std::optional<std::string> ReadWholeFile(const std::string& file);

}  // namespace trovel::platform::linux_desktop
