#pragma once

#include <string>

namespace trovel::cli {

// The help of one command, or of the program when `command` is empty. The man page
// (cli/trovel-cli.1) says the same at more length.
std::string HelpText(const std::string& command);

}  // namespace trovel::cli
