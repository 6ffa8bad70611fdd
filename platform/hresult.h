#pragma once

#include <cstdint>

namespace trovel::platform {

// Results of shell calls keep the Windows convention: 0 is success, anything else
// failed. The names avoid the Windows SDK's macros (S_OK, E_FAIL, ...), which a
// backend includes alongside this header.
using HResult = std::int32_t;

inline constexpr HResult kOk = 0;                                               // S_OK
inline constexpr HResult kFalse = 1;                                            // S_FALSE
inline constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);   // E_NOTIMPL
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);             // E_FAIL
inline constexpr HResult kAccessDenied = static_cast<HResult>(0x80070005u);     // E_ACCESSDENIED
inline constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);       // E_INVALIDARG
inline constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002u);     // ERROR_FILE_NOT_FOUND
inline constexpr HResult kPathNotFound = static_cast<HResult>(0x80070003u);     // ERROR_PATH_NOT_FOUND
inline constexpr HResult kCancelled = static_cast<HResult>(0x800704C7u);       // ERROR_CANCELLED
inline constexpr HResult kBusy = static_cast<HResult>(0x800700AAu);            // ERROR_BUSY: another run holds the folder
inline constexpr HResult kAlreadyExists = static_cast<HResult>(0x800700B7u);   // ERROR_ALREADY_EXISTS: other content at the target
inline constexpr HResult kDiskFull = static_cast<HResult>(0x80070070u);        // ERROR_DISK_FULL: too little room at the target
inline constexpr HResult kInterruptedRun = static_cast<HResult>(0x800703E3u);  // ERROR_OPERATION_ABORTED: a killed run is unsettled

// Only an exact 0 counts as success; S_FALSE and other positive codes do not.
inline constexpr bool Succeeded(HResult hr) { return hr == kOk; }

}  // namespace trovel::platform
