#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

namespace trovel::platform::linux_desktop {

// What a file was when it was read: enough to tell, before replacing it, whether
// someone else has written it since, and to give its replacement the same owner and mode.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;

    bool SameFileAs(const FileStamp& other) const;
};

enum class ReadStatus {
    Read,        // the whole text, with no error on the way
    Missing,     // nothing at that path
    Unreadable,  // there, but opening or reading it failed
    NotRegular,  // a FIFO, device, socket or folder: never read, it could block or never end
};

struct FileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string text;
    FileStamp stamp;
};

// Writes all of `data` at offset `at`, through short writes and interruptions: 0 or an errno value.
int WriteAll(int fd, const char* data, std::size_t size, off_t at);

// Reads a regular file (through links) without ever blocking on the open.
FileRead ReadRegularFile(const std::string& file);

// The text of a regular file; nullopt when it is missing, unreadable or not a regular file.
std::optional<std::string> ReadWholeFile(const std::string& file);

// The stamp of what is at `file` now (through links); exists is false when nothing is.
FileStamp StampOf(const std::string& file);

enum class ReplaceResult {
    Replaced,
    Changed,  // the file is no longer the one that was read: nothing was replaced
    Failed,   // nothing was replaced
};

// Replaces `file` with `content` all at once: a temporary file in the same folder, given
// the owner, group and mode of `original` (0600 for a new file; refused when the owner
// cannot be kept), flushed to disk, then renamed over it once `file` is checked to be
// still `original`; the folder is synced after. Creates missing folders (0700).
ReplaceResult ReplaceFileAtomically(const std::string& file, const std::string& content, const FileStamp& original);

// The same against whatever is at `file` now.
bool ReplaceFileAtomically(const std::string& file, const std::string& content);

// Creates `folder` and its missing parents, as mkdir -p does; true when it is a folder then.
bool MakeFolders(const std::string& folder, mode_t mode);

// Whether `path`, links followed, is a folder.
bool IsDirectory(const std::string& path);

// The path with every link resolved; empty when it cannot be resolved.
std::string ResolvedPath(const std::string& path);

}  // namespace trovel::platform::linux_desktop
