#pragma once

#include <functional>
#include <string>
#include <vector>

namespace trovel::platform::linux_desktop {

// Runs a program (argv[0] an absolute path) and waits; its exit status, -1 when it could not
// run or did not exit. What it wrote on its error stream lands in `errors`.
using ProgramRunner = std::function<int(const std::vector<std::string>& argv, std::string& errors)>;
int RunProgram(const std::vector<std::string>& argv, std::string& errors);

// Where the system's pkexec is, and the privileged helper the program installs.
inline constexpr const char* kPkexec = "/usr/bin/pkexec";
std::string PrepareHelperPath();

// Whether pkexec can ask someone here: it is installed, and a desktop session (whose
// authentication agent answers) or a terminal (pkexec's own agent) is at hand.
bool AuthenticationAgentLikely();

}  // namespace trovel::platform::linux_desktop
