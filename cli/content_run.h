#pragma once

#include <cstdint>
#include <ostream>

#include "cli/session.h"
#include "core/relocation/folder_rules.h"
#include "core/relocation/transfer_pace.h"
#include "platform/known_folder.h"

namespace trovel::cli {

// What the commands that move content (move, restore) hand the run.

// Follows a content copy on standard error, a few times a second, on one line.
class ProgressLine {
public:
    explicit ProgressLine(Session& session) : session_(session), pace_(session.Separator()) {}
    void Report(std::uint64_t done, std::uint64_t total) {
        if (const auto report = pace_.Next(done, total))
            session_.console().err << "\r" << report->text << "\033[K" << std::flush;
    }
    void End() {
        if (pace_.End()) session_.console().err << "\r\033[K" << std::flush;
    }

private:
    Session& session_;
    relocation::TransferPace pace_;
};

// One named folder as the command's options choose it: content along with --copy, the old
// content deleted with --delete, only checked with --dry-run; its nested folders left out.
relocation::FolderChoice ChoiceFor(Session& session, const catalogue::FolderInfo& folder, const Request& request);

// The run's hooks: the progress line (where standard error is a terminal) and Ctrl-C, SIGTERM
// or SIGHUP as a cancel.
platform::RedirectHooks ProgressHooks(Session& session, ProgressLine& progress);

}  // namespace trovel::cli
