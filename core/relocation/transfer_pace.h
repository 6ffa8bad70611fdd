#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace trovel::relocation {

// Paces the reports of a content copy, which come from the mover's threads many times a
// second: the first at once, then at most four a second, and the last one always. Each due
// report gets its transfer line (bytes, rate, time left).
class TransferPace {
public:
    explicit TransferPace(std::string decimalSeparator) : separator_(std::move(decimalSeparator)) {}

    struct Report {
        bool first = false;  // the copy's first report
        std::string text;
    };
    // The report due for `done` of `total` bytes now, or nothing when it is too soon.
    std::optional<Report> Next(std::uint64_t done, std::uint64_t total);
    // The copy is over; true when anything was reported for it.
    bool End();

private:
    using Clock = std::chrono::steady_clock;
    const std::string separator_;
    std::mutex lock_;
    bool started_ = false;
    Clock::time_point start_;
    Clock::time_point last_;
};

}  // namespace trovel::relocation
