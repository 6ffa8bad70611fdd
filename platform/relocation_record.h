#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trovel::platform {

// One line of the record of relocations: a move or a restore of one folder, done or not.
struct RelocationRecord {
    std::string time;       // UTC, ISO 8601: "2026-12-10T02:30:00Z"
    std::string key;        // "MUSIC" on Linux
    std::string name;       // the folder's canonical name
    std::string operation;  // "move" or "restore"
    std::string from;
    std::string to;
    bool content = false;  // the content went along
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string outcome;  // "done", "refused", "failed" or "cancelled"
    std::string code;     // "ok", or why not: "conflict", "no-room", "locked", "interrupted", ...
    std::vector<std::string> left;  // what stayed at the old place
    std::string drive;              // the root of the drive the content went to or came from
    std::vector<std::string> made;  // the folders the run made above its new place, top first

    bool Done() const { return outcome == "done"; }
};

// The record as one line of JSON, without the line break.
std::string FormatRecord(const RelocationRecord& record);
// A line read back: nullopt unless every member is there, of its type, with a known
// operation and outcome, a well-formed time and absolute paths.
std::optional<RelocationRecord> ParseRecord(const std::string& line);

// "2026-12-10T02:30:00Z" for seconds since 1970 (UTC).
std::string UtcTimestamp(std::int64_t secondsSinceEpoch);

// The newest record of a folder's relocation that was done: the folder's by its key where it has
// one, else by its canonical name; nullptr when there is none.
const RelocationRecord* LastDone(const std::vector<RelocationRecord>& records, const std::string& key,
                                 const std::string& name);

}  // namespace trovel::platform
