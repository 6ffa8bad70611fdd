#pragma once

#include <string>
#include <vector>

namespace trovel::platform::linux_desktop {

// What the Linux layer reads from the process environment, gathered once so tests
// can hand in their own.
struct Environment {
    std::string home;
    std::string configHome;               // $XDG_CONFIG_HOME or ~/.config
    std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS or /etc/xdg
    std::string dataHome;                 // $XDG_DATA_HOME or ~/.local/share
    std::string cacheHome;                // $XDG_CACHE_HOME or ~/.cache
    std::string stateHome;                // $XDG_STATE_HOME or ~/.local/state
    // The locale gettext would translate messages in ("hu_HU.UTF-8"; "C" when none): the
    // user-dirs folders' default names follow it, as xdg-user-dirs-update's do.
    std::string messageLocale = "C";
    std::string procRoot = "/proc";       // where mountinfo is read
    std::string sysRoot = "/sys";         // where block devices are classified
    std::string devRoot = "/dev";         // where volume labels are looked up
    std::string udevData = "/run/udev/data";  // udev's database: the disks of ZFS pools
    std::string fstab = "/etc/fstab";     // the filesystems mounted at boot, with the units below
    std::vector<std::string> mountUnitFolders{"/etc/systemd/system", "/run/systemd/system",
                                              "/run/systemd/generator", "/usr/lib/systemd/system"};

    // Relative XDG values are ignored, as the base-directory rules say.
    static Environment FromProcess();
};

// The message locale as gettext picks it from the environment: LC_ALL, LC_MESSAGES or LANG,
// the first one set; when that is not "C" or "POSIX", the first entry of LANGUAGE before it.
std::string MessageLocaleFromProcess();

// The text of the environment variable, or `fallback` when it is unset, empty or relative.
std::string AbsoluteVariable(const char* name, const std::string& fallback);

}  // namespace trovel::platform::linux_desktop
