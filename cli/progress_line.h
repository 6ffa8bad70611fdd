#pragma once

#include <cstdint>
#include <ostream>

#include "cli/session.h"
#include "core/relocation/transfer_pace.h"

namespace trovel::cli {

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

}  // namespace trovel::cli
