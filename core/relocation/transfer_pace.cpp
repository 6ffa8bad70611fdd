#include "core/relocation/transfer_pace.h"

#include "core/relocation/folder_rules.h"

namespace trovel::relocation {

std::optional<TransferPace::Report> TransferPace::Next(std::uint64_t done, std::uint64_t total) {
    std::lock_guard lock(lock_);
    const auto now = Clock::now();
    Report report;
    if (!started_) {
        started_ = true;
        start_ = now;
        report.first = true;
    } else if (now - last_ < std::chrono::milliseconds(250) && done < total) {
        return std::nullopt;
    }
    last_ = now;
    report.text = TransferText(done, total, std::chrono::duration<double>(now - start_).count(), separator_);
    return report;
}

bool TransferPace::End() {
    std::lock_guard lock(lock_);
    const bool reported = started_;
    started_ = false;
    return reported;
}

}  // namespace trovel::relocation
