#pragma once

#include <array>
#include <cstdio>
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

// Runs a shell command with HOME pointing at the scratch home and XDG_CONFIG_HOME unset,
// as a program of the user's would run; its output without the last line break.
inline std::string OutputWithHome(const std::string& command, const std::string& home) {
    const std::string line = "env -u XDG_CONFIG_HOME HOME='" + home + "' " + command + " 2>/dev/null";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) return "<failed>";
    std::string out;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
    ::pclose(pipe);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace trovel::testing
