#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trovel::platform {

enum class FileKind { Missing, Regular, Directory, Symlink, Fifo, Socket, Device, Other };

// One entry as lstat sees it: links are never followed.
struct FileInfo {
    FileKind kind = FileKind::Missing;
    std::uint64_t device = 0;  // the filesystem it is on
    std::uint64_t inode = 0;
    std::uint64_t links = 0;
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;  // bytes the data takes on disk (sparse files take less)
    std::uint32_t mode = 0;       // permission bits with set-id and sticky bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint64_t rdev = 0;  // for device nodes
    bool blockDevice = false;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::int64_t accessedNs = 0;
    std::string linkTarget;  // for symlinks
};

// The file operations the content mover makes, each one a place where the file system may
// fail. Results are 0 or an errno value (Stat of a missing path is 0 with kind Missing).
// Paths are absolute. Nothing here ever follows a
// link at the last component, and nothing ever replaces an existing name.
class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int Stat(const std::string& path, FileInfo& info) = 0;
    // The names in a directory, without "." and "..".
    virtual int List(const std::string& directory, std::vector<std::string>& names) = 0;
    // Whether the process may read a file, or list and enter a directory.
    virtual int CheckReadable(const std::string& path, FileKind kind) = 0;

    virtual int MakeDirectory(const std::string& path) = 0;  // private (0700) until its metadata is applied
    // Creates `target` (which must not exist) as a copy of regular file `source`: its data
    // (cloned where the file system allows, else copied in the kernel, else read and written;
    // holes stay holes), then the metadata of `like` as CopyMetadata sets it, all before the
    // file has its name, so it appears whole or not at all. `copied` is called with byte
    // counts as they are done.
    virtual int CopyFile(const std::string& source, const std::string& target, const FileInfo& like,
                         const std::function<void(std::uint64_t)>& copied) = 0;
    virtual int MakeSymlink(const std::string& linkTarget, const std::string& path) = 0;
    virtual int MakeNode(const std::string& path, const FileInfo& like) = 0;  // FIFOs and devices
    virtual int HardLink(const std::string& existing, const std::string& path) = 0;
    // Owner and group where permitted, extended attributes with the access lists, mode, then
    // access and modification times: in that order, as cp -a does, so the times stay.
    virtual int CopyMetadata(const std::string& source, const std::string& target, const FileInfo& like) = 0;
    virtual int Remove(const std::string& path, FileKind kind) = 0;  // unlink, or rmdir
    // Flushes the file system holding `path` to disk.
    virtual int Sync(const std::string& path) = 0;
    virtual int FreeSpace(const std::string& path, std::uint64_t& bytes) = 0;
    // A hash of a regular file's content, for verification.
    virtual int Hash(const std::string& path, std::uint64_t& hash) = 0;
    // Writes a small file whole (journal records): a temporary name, flushed, then renamed,
    // replacing the old one; and reads one back.
    virtual int WriteRecord(const std::string& path, const std::string& content) = 0;
    virtual int ReadRecord(const std::string& path, std::string& content) = 0;
    // Whether device nodes can be created by this process.
    virtual bool MayMakeDevices() = 0;
    // The text of an error number.
    virtual std::string ErrorText(int error) = 0;
};

}  // namespace trovel::platform
