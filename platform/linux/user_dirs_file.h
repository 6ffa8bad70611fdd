#pragma once

#include <map>
#include <string>
#include <string_view>

namespace trovel::platform::linux_desktop {

// The xdg-user-dirs registry file ($XDG_CONFIG_HOME/user-dirs.dirs): lines such as
// XDG_MUSIC_DIR="$HOME/Music", shell-sourceable, with comments and unknown keys.

// Key ("MUSIC") to absolute path, as GLib reads the file (the reader most desktop
// programs use): blanks allowed around the key and "=", quoted values only, the value
// running to the last quote of the line, "$HOME" replaced by the home folder followed by
// a separator, other values only when absolute, a later line for the same key wins.
std::map<std::string, std::string> ParseUserDirs(std::string_view text, const std::string& home);

// Whether every reader (the shell, GLib, Qt) reads `path` back exactly as written:
// absolute, valid UTF-8, and none of " \ $ ` or a line break in it.
bool IsWritableUserDirPath(std::string_view path);

// An absolute path with "." and ".." resolved by name and repeated and trailing slashes
// dropped; empty for a relative path.
std::string NormalisedAbsolutePath(std::string_view path);

// The quoted value for `path`: "$HOME/..." when it lies under `home` at a path boundary
// (unless `absolute`), else the absolute path itself.
std::string UserDirValue(const std::string& path, const std::string& home, bool absolute);

// `text` with every line that sets `key` replaced by one that sets it to `value`
// (appended when there is none); every other line, comment and key kept as it was.
std::string RewriteUserDirs(std::string_view text, const std::string& key, const std::string& value);

}  // namespace trovel::platform::linux_desktop
