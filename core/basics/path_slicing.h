#pragma once

#include <string>

#include "core/basics/list_types.h"
#include "platform/path_style.h"

namespace trovel::relocation {

// Removes one trailing separator, so a folder at the drive root "D:\" becomes "D:".
void TrimOneTrailingSeparator(std::string& path, char separator);

// Whether `inner` lies inside `outer`: `outer` is a proper prefix of it, compared exactly
// (case-sensitive), and a separator follows that prefix. Equal paths are not nested, nor
// is C:\Users\user\Music in C:\Users\us. An empty `outer` holds nothing.
bool IsNestedIn(const std::string& inner, const std::string& outer, char separator);

// The components of `longPath` below `shortPath` (C:\Users\user and
// C:\Users\user\Documents\My Music give Documents, My Music); appends the index of the
// last component to `count`.
catalogue::TextList SlicePath(std::string shortPath, std::string longPath, catalogue::IntList& count, char separator);

// The folder's place on the chosen drive: the drive root followed by the default path
// without its own root (E:\ and C:\Users\al\Documents give E:\Users\al\Documents; /mnt/data/
// and /home/al/Documents give /mnt/data/home/al/Documents). Empty when the default path has
// nothing below its root, so a folder is never pointed at a bare drive root.
std::string DestinationOnDrive(const std::string& driveRoot, const std::string& defaultPath, platform::PathStyle style);

// The literal that asks for a folder's default place instead of a drive.
inline constexpr const char* kDefaultPlace = "win";

}  // namespace trovel::relocation
