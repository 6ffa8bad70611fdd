#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/texts.h"

namespace trovel::cli {

// What the user asked for: the command, its folders and options.
struct Request {
    std::string command;
    std::vector<std::string> folders;
    std::string to;
    std::string forUser;  // prepare --for USER
    bool json = false, all = false, copy = false, remove = false, dryRun = false, help = false, version = false;
    // An internal listing for the shell completions ("folders" or "drives"); not in the help.
    std::string complete;
};

// Whether `command` is one of the program's commands.
bool IsCommand(const std::string& command);

// Reads the arguments into `request`, each command taking only its own options. On a usage
// error, the message (without the program's name); `request.command` is then the command
// named, when one was, for the hint at its help.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args, Request& request);

}  // namespace trovel::cli
