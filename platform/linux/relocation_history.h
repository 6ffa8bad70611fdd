#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/relocation_record.h"

namespace trovel::platform::linux_desktop {

// The record of relocations: STATE_HOME/trovel/history.jsonl, one JSON line a move or restore.
std::string HistoryFile(const std::string& stateHome);

// Appends one line with O_APPEND and flushes it to disk, as the calling process's user: the
// folder is made private when missing, the file 0600; a link, or a file that is not this
// user's own regular file, is never written. errno, or 0.
int AppendHistory(const std::string& stateHome, const RelocationRecord& record);

// Every well-formed line, oldest first, of a history that is `owner`'s own regular file and
// writable by no one else; nothing otherwise (a missing file is an empty history).
std::vector<RelocationRecord> ReadHistory(const std::string& stateHome, uid_t owner);

}  // namespace trovel::platform::linux_desktop
