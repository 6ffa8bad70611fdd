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
    const std::atomic<int>* stopSignal = nullptr;    // the signal that set it (SIGINT, SIGTERM, SIGHUP)
    std::string decimalSeparator = {};  // of the numeric locale (LC_NUMERIC); empty: the language's own
    std::string digitGroupSeparator = {};  // of the numeric locale; empty: counts are plain digits
    std::string digitGrouping = {};        // its group sizes, as localeconv gives them
};

enum ExitStatus : int { kSucceeded = 0, kSomeFailed = 1, kUsageError = 2 };

// The status of a run a signal stopped, after its rollback: 128 plus the signal's number, as a
// shell reports a program the signal ended (130 for Ctrl-C, 143 for SIGTERM).
int StoppedStatus(const Console& console);

// Runs one command (`args` without the program's name) on `platform`, with the wizard's rules:
// list, drives, size, move, restore, recover, and --help and --version.
int RunCommandLine(const std::vector<std::string>& args, platform::Platform& platform, Console& console);

}  // namespace trovel::cli
