#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/hresult.h"
#include "platform/known_folder.h"
#include "platform/path_style.h"

namespace trovel::platform {

// GetDriveTypeW results.
enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// File attributes as the directory listing reports them (FILE_ATTRIBUTE_*).
enum : std::uint32_t {
    kAttributeReadOnly = 0x1,
    kAttributeHidden = 0x2,
    kAttributeSystem = 0x4,
    kAttributeDirectory = 0x10,
    kAttributeArchive = 0x20,
    kAttributeNormal = 0x80,
    kAttributeReparsePoint = 0x400,  // a junction or a directory link (listings leave it off cloud placeholders)
    kInvalidAttributes = 0xFFFFFFFFu,
};

struct DirectoryEntry {
    std::string name;
    std::uint32_t attributes = 0;
    std::int64_t size = 0;  // logical size in bytes
    std::int64_t modified = 0;  // last write time, in the system's own units (compared, never shown)
};

struct VolumeSpace {
    std::int64_t freeForUser = 0;
    std::int64_t total = 0;
    std::int64_t totalFree = 0;
};

// An icon as pixels (ARGB32, row by row), or by name from the desktop's icon theme
// with a bundled fallback; the toolkit turns either into a picture.
struct ShellIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::string themeName;
    std::string fallbackResource;

    bool IsEmpty() const { return argb.empty() && themeName.empty() && fallbackResource.empty(); }
};

// Why a fixed drive is no place for relocated folders.
enum class TargetRefusal {
    None,
    HoldsHome,        // the drive of the home folder: moving there frees nothing
    SystemPartition,  // the firmware's boot partition
    MountedOnDemand,  // mounted by the desktop for this session only: gone at the next login
    NotWritable,      // the folders of the relocation cannot be created on it
};

// A user account, as the system knows it.
struct UserAccount {
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::string name;
    std::string home;
};

// One folder an administrator makes on a drive for a user: the folders above it (when
// missing) belong to the administrator, mode 0755; the folder itself to the user.
struct FolderForUser {
    std::string driveRoot;  // a listed drive's root: "/mnt/data/"
    std::string folder;     // absolute, plain (no ".", "..", doubled or trailing separators), below the root
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::uint32_t mode = 0700;
};

enum class PreparedFolder {
    Made,           // the folder and any missing folders above it were made
    AlreadyThere,   // it existed; its owner and mode were left as they were
    LinkOnPath,     // a symbolic link, or something not a folder, stands somewhere on the path
    DriveChanged,   // the root is not (or no longer) the listed drive's mount
    OtherDrive,     // the path crosses into another filesystem below the drive
    Failed,         // the system refused to make or set up a folder
};

// What an administrator's approval came to.
enum class Approval {
    Given,         // the folder is ready
    Refused,       // the administrator declined, or the authentication was cancelled
    NoAgent,       // nobody can be asked here (no authentication agent)
    HelperRefused, // the privileged helper refused the request (its reason in the text)
};

// MessageBoxW styles (MB_*) and answers (ID*) the program uses.
enum : std::uint32_t {
    kMbOk = 0x0,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// ExitWindowsEx flags: EWX_LOGOFF, EWX_FORCEIFHUNG.
enum : std::uint32_t { kExitLogoff = 0x0, kExitForceIfHung = 0x10 };

// The decimal separator of the process's numeric locale ("." under English, "," under Hungarian).
std::string NumericLocaleDecimalSeparator();
// How the process's numeric locale groups the digits of a whole number: the separator ("," under
// English, "." under Hungarian, empty under C) and the group sizes, rightmost first, as
// localeconv's `grouping` gives them.
void NumericLocaleGrouping(std::string& separator, std::string& grouping);

// What a thread needs of the system while it uses the platform (COM on Windows), held
// from the start to the end of a worker's run, on that worker's thread.
class ThreadScope {
public:
    virtual ~ThreadScope() = default;
};

// How a system names known folders to the user (Platform::Naming).
enum class FolderNaming { Canonical, Desktop };

// Everything the program asks of the operating system. One backend per OS,
// plus a scriptable fake for the tests.
class Platform {
public:
    virtual ~Platform() = default;

    virtual PathStyle Style() const = 0;

    // Entered by every worker thread before its first call, left when it ends.
    virtual std::unique_ptr<ThreadScope> EnterWorkerThread() { return nullptr; }

    // The decimal separator of the user's number format: "," for a Hungarian user.
    // By default the process's numeric locale, which the toolkit sets from the user's.
    virtual std::string DecimalSeparator();

    // The drive part of a path, such that it followed by the separator is the root of the
    // volume holding the path: "C:" for C:\Windows; on POSIX the mount point without its
    // trailing slash, so "" for the root filesystem. Empty when the path has none.
    virtual std::string DriveOf(const std::string& path) { return DrivePart(Style(), path); }

    // The Known Folder Manager (CLSID_KnownFolderManager, in-process).
    virtual HResult CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) = 0;

    // String resources: %VARIABLE% expansion, then string `id` of `module`
    // (load the module, read the string, unload it). False when either fails.
    virtual bool ExpandEnvironment(const std::string& text, std::string& expanded) = 0;
    virtual bool LoadStringResource(const std::string& module, std::uint32_t id,
                                    std::string& text) = 0;

    // The shell's extra-large (48 x 48) icon of a file-system path.
    virtual ShellIcon ShellIconOf(const std::string& path) = 0;

    // Opens a folder, drive root or web address with the desktop's handler.
    virtual bool ShellOpen(const std::string& target) = 0;

    // Files: attributes (kInvalidAttributes when unreadable; a link to a folder counts as a
    // folder, as the shell sees it) and one directory's entries.
    virtual std::uint32_t FileAttributes(const std::string& path) = 0;
    virtual bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) = 0;
    // The size of one file-system entry, whatever its attributes; false when there is none.
    virtual bool EntrySize(const std::string& path, std::int64_t& size) = 0;
    // A directory opened for a tree walk; null when it cannot be listed.
    virtual std::unique_ptr<DirectoryHandle> OpenDirectory(const std::string& path) = 0;
    // The other filesystems mounted inside `folder`, spelled below `folder` as given and
    // ending in the separator, so that a walk can pass them by without touching them.
    virtual std::vector<std::string> MountPointsBelow(const std::string& folder) {
        (void)folder;
        return {};
    }
    // How many directory reads to keep in flight on the device holding `path`: enough to keep
    // a solid-state or virtual disk busy, one for a spinning disk, whose head would otherwise
    // jump between the readers. Two where the device cannot be told.
    virtual int ParallelReadsFor(const std::string& path) {
        (void)path;
        return 2;
    }

    // Volumes: roots such as "D:\" or "/mnt/data/".
    virtual std::vector<std::string> LogicalDriveStrings() = 0;
    virtual DriveType DriveTypeOf(const std::string& root) = 0;
    virtual bool VolumeLabel(const std::string& root, std::string& label) = 0;
    virtual bool DiskFreeSpace(const std::string& root, VolumeSpace& space) = 0;
    // What the system knows against relocating onto a fixed drive (boot partitions, drives
    // that will not be there at the next login); None when nothing.
    virtual TargetRefusal TargetRefusalOf(const std::string& root) {
        (void)root;
        return TargetRefusal::None;
    }
    // What a drive root is now (its filesystem and its mount), so that a run can tell later
    // whether the drive it was given is still the one that was chosen. False where unknown.
    virtual bool DriveIdentityOf(const std::string& root, std::uint64_t& device, std::uint64_t& mountId) {
        (void)root;
        device = mountId = 0;
        return false;
    }
    // Whether the user could create `path`: its nearest existing folder takes new entries.
    virtual bool CanCreateFolder(const std::string& path) {
        (void)path;
        return true;
    }

    // Whether the program runs with the administrator's rights.
    virtual bool IsAdministrator() { return false; }
    // Whether an administrator's approval can be asked for at all on this system, so that a
    // drive the user cannot write is still worth offering.
    virtual bool AdministratorCanPrepare() { return false; }
    // The account named `nameOrId` (a login name or a decimal user id; empty: the user running
    // the program); false when unknown.
    virtual bool UserAccountOf(const std::string& nameOrId, UserAccount& account) {
        (void)nameOrId;
        (void)account;
        return false;
    }
    // The permission bits of the folder at `path` when it is one, reached without links, and
    // belongs to `uid`; false otherwise.
    virtual bool OwnedFolderMode(const std::string& path, std::uint32_t uid, std::uint32_t& mode) {
        (void)path;
        (void)uid;
        mode = 0;
        return false;
    }
    // With the administrator's rights: makes `request.folder` without following any link,
    // from the drive root held open. Never changes a folder that exists.
    virtual PreparedFolder PrepareFolderForUser(const FolderForUser& request, std::string& errorText) {
        (void)request;
        errorText.clear();
        return PreparedFolder::Failed;
    }
    // As the user: asks an administrator's approval for the privileged helper to make
    // `folder` on the drive at `driveRoot` for the calling user; `text` tells why not.
    virtual Approval AskAdministratorToPrepare(const std::string& driveRoot, const std::string& folder,
                                               std::string& text) {
        (void)driveRoot;
        (void)folder;
        text.clear();
        return Approval::NoAgent;
    }

    // How the system's own tools name known folders to the user. Canonical: by the names the
    // registry gives ("My Music"), and relocations by the shell's calls. Desktop: by the
    // desktop's localized names (FolderDisplayName) and xdg keys, relocations in plain words.
    virtual FolderNaming Naming() const { return FolderNaming::Canonical; }
    // The folder's name as the desktop shows it under `locale` ("hu_HU.UTF-8": "Zene");
    // empty where the system has none (the canonical name stands).
    virtual std::string FolderDisplayName(const KnownFolderId& id, const std::string& locale) {
        (void)id;
        (void)locale;
        return {};
    }

    // The system's text for the calling thread's last error; empty when there is none.
    virtual std::string LastErrorText() = 0;

    virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                           std::uint32_t style) = 0;

    // Signs the user out (ExitWindowsEx); kExitLogoff | kExitForceIfHung is the only request made.
    // False when no one took the request (no session manager answered).
    virtual bool SignOut(std::uint32_t flags, std::uint32_t reason) = 0;

    // A desktop notification, for a result the user did not wait in front of; false where the
    // desktop has no notification service (nothing is started to get one).
    virtual bool Notify(const std::string& title, const std::string& body) {
        (void)title;
        (void)body;
        return false;
    }
};

}  // namespace trovel::platform
