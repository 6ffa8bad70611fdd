#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/known_folder.h"

namespace trovel::catalogue {

using FolderIdList = std::vector<platform::KnownFolderId>;  // list of known-folder ids
using TextList = std::vector<std::string>;                  // list of texts
using TextLists = std::vector<TextList>;                    // list of text lists
using IntList = std::vector<std::int32_t>;                  // list of signed 32-bit integers

// What a folder row's boxes stand for: the three choices and the outcome box. A row's
// window message carries the first three by these values.
enum class Operation : std::int32_t { Move = 1, Copy = 2, Delete = 3, Redirected = 4 };

// Values the catalogue, the size measurement and the drive choice share for the
// whole run; the main window owns the one instance.
struct SharedValues {
    std::int64_t selectedSizeSum = 0;  // bytes of the ticked folders
    std::string systemDrive;           // "C:", the drive of the Windows folder
    std::string profilePath;           // the user's home folder, "C:\Users\al" or "/home/al"
    std::string chosenDriveRoot;       // "D:\", empty while no drive is chosen
    // What the chosen drive's root was when it was chosen (its filesystem and mount), so that
    // the run can refuse a drive that is no longer that one; zero where the system cannot say.
    std::uint64_t chosenDriveDevice = 0;
    std::uint64_t chosenDriveMountId = 0;
};

}  // namespace trovel::catalogue
