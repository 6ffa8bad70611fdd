#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace trovel::platform::fake {

// One registered folder of the fake registry, with the results its calls give.
struct FakeFolder {
    KnownFolderId id;
    KnownFolderDefinition definition;
    std::uint32_t category = KF_CATEGORY_PERUSER;
    std::uint32_t capability = KF_REDIRECTION_CAPABILITIES_REDIRECTABLE;
    Guid folderType;
    std::string path;         // current path; empty: no file-system path
    std::string defaultPath;  // what the default-path flags give

    HResult getFolderResult = kOk;
    HResult definitionResult = kOk;
    HResult setPathResult = kOk;
    HResult redirectResult = kOk;
    std::string redirectErrorText;
    // Redirect raises an error instead of returning a result.
    bool redirectThrows = false;
    // Redirect copies content as the Linux mover does: it reports progress and, when asked
    // to, waits (up to seconds) for a stop request, then rolls back and says so.
    bool redirectReportsProgress = false;
    bool redirectWaitsForCancel = false;
};

// Every call the code under test made, with its arguments.
struct Call {
    std::string operation;  // "GetFolder", "GetPath", "SetPath", "Redirect", "ShellOpen", ...
    KnownFolderId id;
    std::uint32_t flags = 0;
    std::string text;  // path, target, module or message, as the operation takes
    std::vector<KnownFolderId> exclusions;
};

struct FakeVolume {
    std::string root;  // "D:\"
    DriveType type = DriveType::Fixed;
    std::string label;
    bool labelReadable = true;
    VolumeSpace space;
    bool spaceReadable = true;
};

struct FakeFile {
    std::uint32_t attributes = kAttributeNormal;
    std::int64_t size = 0;
    bool listable = true;  // false: a directory that is listed by its parent but cannot be opened
    std::int64_t modified = 0;
};

// A scriptable in-memory platform. Tests fill the public members, run the code and
// read `calls` back. Not thread-safe: the program never overlaps platform calls.
class FakePlatform : public Platform {
public:
    PathStyle style = PathStyle::Windows;

    HResult createManagerResult = kOk;
    HResult getFolderIdsResult = kOk;
    std::deque<FakeFolder> folders;  // a deque: AddFolder's references stay valid

    std::map<std::string, std::string> environment;  // %NAME% -> value
    // module (after expansion, compared exactly) and string number -> text
    std::map<std::pair<std::string, std::uint32_t>, std::string> strings;

    std::vector<FakeVolume> volumes;
    // Files by full path; a directory is a path whose attributes carry kAttributeDirectory.
    std::map<std::string, FakeFile> files;

    int messageBoxAnswer = kIdOk;
    std::thread::id messageBoxThread;  // where the last message box was shown
    bool signOutResult = true;
    std::string lastErrorText;

    std::vector<Call> calls;
    // The hooks in force at each Redirect call (the chosen drive among them).
    std::vector<RedirectHooks> redirectHooks;

    // Folders a killed run left a journal for, as InterruptedRedirects reports them, and what
    // RecoverRedirect of one of them gives (a recovered folder leaves the list). A folder not
    // in the list has nothing to recover.
    std::vector<KnownFolderId> interrupted;
    // The record of relocations the registry hands out, oldest first.
    std::vector<RelocationRecord> history;
    HResult recoverResult = kOk;
    RecoveryOutcome recoverOutcome = RecoveryOutcome::Undone;
    std::string recoverReport = "A megszakadt áthelyezés visszavonva.";

    // Runs on whichever thread opens a directory for a walk (the size worker's), so a
    // test can hold a walk at a known point. Not recorded in `calls`.
    std::function<void(const std::string&)> onOpenDirectory;
    // Runs on the relocation worker as a progress-reporting Redirect is about to enter each
    // stage ("copy", "verify", "delete", telling the hooks next) and before it returns ("end").
    std::function<void(const std::string&)> onRedirectPhase;
    // How many walk handles may be open at once (0: no limit); a sub-directory opened past
    // it fails as "too many open files". The most that were open at one time.
    int handleLimit = 0;
    std::atomic<int> openHandles{0};
    std::atomic<int> mostOpenHandles{0};
    // Folders where another filesystem is mounted, as MountPointsBelow reports them.
    std::vector<std::string> mountPoints;
    // What ParallelReadsFor answers for every path.
    int parallelReads = 2;
    // What the system knows against a drive as a target, and paths the user may not create.
    std::map<std::string, TargetRefusal> refusals;
    std::vector<std::string> uncreatable;
    // Whether an administrator could make the folders the user cannot, and what asking for
    // that approval comes to (with its text); the drive roots and folders asked about.
    bool administratorCanPrepare = false;
    Approval approval = Approval::NoAgent;
    std::string approvalText;
    std::vector<std::pair<std::string, std::string>> approvalsAsked;
    UserAccount currentUser;
    // Drive roots and what DriveIdentityOf says of them (device, mount id).
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> driveIdentities;

    // How the system names folders, and the names by id and locale ("hu", "C") it gives.
    FolderNaming naming = FolderNaming::Canonical;
    std::map<std::pair<KnownFolderId, std::string>, std::string> displayNames;

    FakeFolder* Find(const KnownFolderId& id);
    // Adds a per-user, redirectable folder and returns it for further scripting.
    FakeFolder& AddFolder(const std::string& name, const std::string& path,
                          const std::string& defaultPath = {});
    std::vector<Call> CallsOf(const std::string& operation) const;

    PathStyle Style() const override { return style; }
    FolderNaming Naming() const override { return naming; }
    std::string FolderDisplayName(const KnownFolderId& id, const std::string& locale) override {
        const auto it = displayNames.find({id, locale});
        return it == displayNames.end() ? std::string() : it->second;
    }
    HResult CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) override;
    bool ExpandEnvironment(const std::string& text, std::string& expanded) override;
    bool LoadStringResource(const std::string& module, std::uint32_t id, std::string& text) override;
    ShellIcon ShellIconOf(const std::string& path) override;
    bool ShellOpen(const std::string& target) override;
    std::uint32_t FileAttributes(const std::string& path) override;
    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) override;
    bool EntrySize(const std::string& path, std::int64_t& size) override;
    std::unique_ptr<DirectoryHandle> OpenDirectory(const std::string& path) override;
    std::vector<std::string> MountPointsBelow(const std::string& folder) override;
    int ParallelReadsFor(const std::string&) override { return parallelReads; }
    TargetRefusal TargetRefusalOf(const std::string& root) override;
    bool CanCreateFolder(const std::string& path) override;
    bool AdministratorCanPrepare() override { return administratorCanPrepare; }
    bool UserAccountOf(const std::string& nameOrId, UserAccount& account) override;
    Approval AskAdministratorToPrepare(const std::string& driveRoot, const std::string& folder,
                                       std::string& text) override;
    bool DriveIdentityOf(const std::string& root, std::uint64_t& device, std::uint64_t& mountId) override;
    std::vector<std::string> LogicalDriveStrings() override;
    DriveType DriveTypeOf(const std::string& root) override;
    bool VolumeLabel(const std::string& root, std::string& label) override;
    bool DiskFreeSpace(const std::string& root, VolumeSpace& space) override;
    std::string LastErrorText() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override;
    bool SignOut(std::uint32_t flags, std::uint32_t reason) override;
    bool Notify(const std::string& title, const std::string& body) override;

private:
    const FakeVolume* FindVolume(const std::string& root) const;
};

}  // namespace trovel::platform::fake
