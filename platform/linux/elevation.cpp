#include "platform/linux/elevation.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#ifndef TROVEL_PREPARE_HELPER
#define TROVEL_PREPARE_HELPER "/usr/libexec/trovel-prepare-target"
#endif

namespace trovel::platform::linux_desktop {

std::string PrepareHelperPath() { return TROVEL_PREPARE_HELPER; }

bool AuthenticationAgentLikely() {
    if (::access(kPkexec, X_OK) != 0) return false;
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("WAYLAND_DISPLAY") || set("DISPLAY") || ::isatty(STDIN_FILENO) == 1;
}

int RunProgram(const std::vector<std::string>& argv, std::string& errors) {
    errors.clear();
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/') return -1;
    int pipe[2] = {-1, -1};
    if (::pipe2(pipe, O_CLOEXEC) != 0) return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe[1], STDERR_FILENO);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipe[1]);
    if (child < 0) {
        ::close(pipe[0]);
        return -1;
    }
    char buffer[512];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (errors.size() < 8192) errors.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace trovel::platform::linux_desktop
