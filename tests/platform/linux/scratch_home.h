#pragma once

#include <string>

#include "platform/linux/environment.h"
#include "temp_dir.h"

namespace trovel::testing {

// The Linux layer's environment for a scratch home: its config, data and cache folders
// under it, and `configDir` as the only system-wide config folder.
inline platform::linux_desktop::Environment ScratchEnvironment(const TempDir& home, const std::string& configDir) {
    platform::linux_desktop::Environment env;
    env.home = home.path();
    env.configHome = home / ".config";
    env.configDirs = {configDir};
    env.dataHome = home / ".local/share";
    env.cacheHome = home / ".cache";
    env.stateHome = home / ".local/state";
    return env;
}

}  // namespace trovel::testing
