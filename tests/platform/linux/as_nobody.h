#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace trovel::testing {

// Runs `check` in a child process that has given up root for the user nobody, where file
// permissions count again; its answer, or false when the child could not drop to nobody.
// Without root the child simply runs as the calling user.
inline bool AsNobody(const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace trovel::testing
