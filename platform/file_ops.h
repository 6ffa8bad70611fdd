#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trovel::platform {

enum class FileKind : std::uint8_t { Missing, Regular, Directory, Symlink, Fifo, Socket, Device, Other };

// One entry as lstat sees it: links are never followed. A plan holds one for every entry of a
// folder (a million of them, for some), so the small members stand together.
struct FileInfo {
    FileKind kind = FileKind::Missing;
    bool blockDevice = false;
    std::uint32_t mode = 0;    // permission bits with set-id and sticky bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint64_t device = 0;  // the filesystem it is on
    std::uint64_t inode = 0;
    std::uint64_t mountId = 0;  // the mount it was reached through (held folders only; 0 where unknown)
    std::uint64_t links = 0;
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;  // bytes the data takes on disk (sparse files take less)
    std::uint64_t rdev = 0;       // for device nodes
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::int64_t accessedNs = 0;
    std::string linkTarget;  // for symlinks

    bool SameObjectAs(const FileInfo& other) const { return device == other.device && inode == other.inode; }
};

// A folder the file operations hold open (a descriptor on POSIX). Every name is looked up
// inside a held folder, never through a path rebuilt from pieces, so a folder renamed or
// swapped for a link after it was checked cannot steer what follows.
struct HeldFolder {
    std::intptr_t handle = -1;
    bool valid() const { return handle >= 0; }
};

// What the file operations return, beside the system's error numbers, when a name no longer
// leads to the entry the caller recorded there: someone replaced it meanwhile.
inline constexpr int kReplacedMeanwhile = 0x10000;

// The file operations the content mover makes, each one a place where the file system may
// fail. Results are 0 or an errno value (the Stat of a missing name is 0 with kind Missing).
// Nothing here follows a link, and nothing replaces an existing name.
class FileOps {
public:
    virtual ~FileOps() = default;

    // Opens a folder by its absolute path, refusing a link at every step of the way (ELOOP);
    // `info` is the folder opened, with its mount.
    virtual int OpenPath(const std::string& path, HeldFolder& folder, FileInfo& info) = 0;
    // Opens `name` inside `parent` as a folder, refusing a link, and only when it is still the
    // folder `expected` names (device and inode): kReplacedMeanwhile when something else stands there now.
    virtual int OpenChild(HeldFolder parent, const std::string& name, const FileInfo& expected,
                          HeldFolder& folder) = 0;
    virtual void Close(HeldFolder folder) = 0;
    // The held folder itself, with its mount.
    virtual int StatHeld(HeldFolder folder, FileInfo& info) = 0;

    virtual int Stat(HeldFolder parent, const std::string& name, FileInfo& info) = 0;
    // The names in a folder, without "." and "..".
    virtual int List(HeldFolder folder, std::vector<std::string>& names) = 0;
    // Whether the process may read a file, or list and enter a folder.
    virtual int CheckReadable(HeldFolder parent, const std::string& name, FileKind kind) = 0;

    virtual int MakeDirectory(HeldFolder parent, const std::string& name) = 0;  // private (0700) for now
    // Creates `toName` (which must not exist) as a copy of the regular file `fromName`, which
    // must still be the file `like` names: its data (cloned where the file system allows, else
    // copied in the kernel, else read and written; holes stay holes), then the metadata of
    // `like`, all under a temporary name (TemporaryName) renamed into place without replacing,
    // so it appears whole or not at all. `copied` is called with byte counts as they are done.
    virtual int CopyFile(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                         const std::string& toName, const FileInfo& like,
                         const std::function<void(std::uint64_t)>& copied) = 0;
    virtual int MakeSymlink(const std::string& linkTarget, HeldFolder parent, const std::string& name) = 0;
    virtual int MakeNode(HeldFolder parent, const std::string& name, const FileInfo& like) = 0;  // FIFOs, devices
    virtual int HardLink(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                         const std::string& toName) = 0;
    // Renames a folder within one filesystem: never over an existing name, except, with
    // `overEmptyFolder`, over a folder that is empty at that moment. ENOSYS where not offered.
    virtual int RenameFolder(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                             const std::string& toName, bool overEmptyFolder) {
        (void)fromParent, (void)fromName, (void)toParent, (void)toName, (void)overEmptyFolder;
        return 38;  // ENOSYS, without the system's headers
    }
    // Owner and group where permitted, extended attributes (of folders and files) with the access
    // lists, mode, then access and modification times, in that order, as cp -a does, so the
    // times stay. `fromName` in `fromParent` is where the attributes are read.
    virtual int CopyMetadata(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                             const std::string& toName, const FileInfo& like) = 0;
    // Unlinks a name, or removes an empty folder.
    virtual int Remove(HeldFolder parent, const std::string& name, FileKind kind) = 0;
    // Flushes the file system holding the folder to disk.
    virtual int Sync(HeldFolder folder) = 0;
    virtual int FreeSpace(HeldFolder folder, std::uint64_t& bytes) = 0;
    // A hash of a regular file's content, for verification.
    virtual int Hash(HeldFolder parent, const std::string& name, std::uint64_t& hash) = 0;

    // The name CopyFile writes a file under before it has its own, for the run `runId`.
    virtual std::string TemporaryName(std::uint64_t runId, const FileInfo& like) = 0;

    // Writes a small private file whole (journal records): a temporary name, flushed, then
    // renamed, replacing the old one; and reads one back. ReadRecord takes only a regular
    // file, not a link, owned by this process's user and private to it (EPERM otherwise).
    virtual int WriteRecord(const std::string& path, const std::string& content) = 0;
    virtual int ReadRecord(const std::string& path, std::string& content) = 0;
    virtual int RemoveRecord(const std::string& path) = 0;
    // Renames a record out of the way, never over another file.
    virtual int SetRecordAside(const std::string& path, const std::string& asidePath) = 0;

    // Whether device nodes can be created by this process.
    virtual bool MayMakeDevices() = 0;
    // A number that tells this process's runs from others' (its process id).
    virtual std::uint64_t RunId() = 0;
    // The text of an error number.
    virtual std::string ErrorText(int error) = 0;
};

}  // namespace trovel::platform
