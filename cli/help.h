#pragma once

#include <string>

#include "cli/texts.h"

namespace trovel::cli {

// The help of one command, or of the program when `command` is empty, in the catalogue's
// language. The man pages (cli/trovel-cli.1, cli/trovel-cli.hu.1) say the same at more length.
std::string HelpText(const std::string& command);

}  // namespace trovel::cli
