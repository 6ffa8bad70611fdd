#pragma once

#include "core/relocation/folder_rules.h"
#include "core/space/target_preparation.h"
#include "platform/platform.h"

namespace trovel::cli {

// The stable English codes --json gives every result, and the English words of each (the
// human message, looked up with Tr). Scripts read the code; people read the message.
struct ResultCode {
    const char* code;
    const char* words;
};

// A folder of move: relocated, redirected, or why not. `stopped`: the run was stopped before
// this folder's turn.
ResultCode MoveCode(const relocation::FolderResult& result, bool stopped);
// A folder of restore.
ResultCode RestoreCode(const relocation::FolderResult& result);
// A folder of restore whose content comes back too (or would, in a dry run).
ResultCode RestoreContentCode(const relocation::FolderResult& result, bool stopped);
// A folder of recover.
ResultCode RecoverCode(platform::RecoveryOutcome outcome);
// Why a drive is not offered.
ResultCode RefusalCode(platform::TargetRefusal refusal);
// What prepare came to.
ResultCode PrepareCode(space::PrepareRefusal refusal, bool made);
// Why a folder may not be relocated; "ok" when it may.
ResultCode CapabilityCode(std::uint32_t capability, bool holdsKeptFolder);

}  // namespace trovel::cli
