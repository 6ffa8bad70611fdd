#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/texts.h"
#include "platform/platform.h"

namespace trovel::cli {

// Where the command line writes, in which language, and what stops a move.
struct Console {
    std::ostream& out;
    std::ostream& err;
    Language language = Language::English;
    bool progress = false;                          // standard error is a terminal: show a progress line
    const std::atomic<bool>* interrupted = nullptr;  // set by Ctrl-C: the copy in progress is rolled back
};

enum ExitStatus : int { kSucceeded = 0, kSomeFailed = 1, kUsageError = 2 };

// Runs one command (`args` without the program's name) on `platform`, with the wizard's rules:
// list, drives, size, move, restore, recover, and --help.
int RunCommandLine(const std::vector<std::string>& args, platform::Platform& platform, Console& console);

}  // namespace trovel::cli
