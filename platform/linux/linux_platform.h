#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/elevation.h"
#include "platform/linux/environment.h"
#include "platform/linux/mounts.h"
#include "platform/linux/user_dirs_defaults.h"
#include "platform/platform.h"

namespace trovel::platform::linux_desktop {

// Linux behind the platform interface, without a desktop: xdg-user-dirs as the known-folder
// registry, mounted local fixed filesystems as drives. It opens nothing, draws no icons, asks
// nothing and cannot sign out (the command line runs on it, with no display).
class LinuxSystem : public Platform {
public:
    explicit LinuxSystem(Environment env = Environment::FromProcess(),
                         ElementTranslator translate = {});

    PathStyle Style() const override { return PathStyle::Posix; }
    std::string DriveOf(const std::string& path) override;
    bool DriveIdentityOf(const std::string& root, std::uint64_t& device, std::uint64_t& mountId) override;
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
    int ParallelReadsFor(const std::string& path) override;
    std::vector<std::string> LogicalDriveStrings() override;
    DriveType DriveTypeOf(const std::string& root) override;
    bool VolumeLabel(const std::string& root, std::string& label) override;
    bool DiskFreeSpace(const std::string& root, VolumeSpace& space) override;
    TargetRefusal TargetRefusalOf(const std::string& root) override;
    bool CanCreateFolder(const std::string& path) override;
    bool IsAdministrator() override;
    bool AdministratorCanPrepare() override;
    bool UserAccountOf(const std::string& nameOrId, UserAccount& account) override;
    bool OwnedFolderMode(const std::string& path, std::uint32_t uid, std::uint32_t& mode) override;
    PreparedFolder PrepareFolderForUser(const FolderForUser& request, std::string& errorText) override;
    Approval AskAdministratorToPrepare(const std::string& driveRoot, const std::string& folder,
                                       std::string& text) override;
    // What runs pkexec with the helper (a stand-in in tests, which then plays the
    // administrator); by default pkexec itself, when an agent can answer.
    void SetElevationRunner(ProgramRunner runner) { elevate_ = std::move(runner); }
    std::string LastErrorText() override;
    FolderNaming Naming() const override { return FolderNaming::Desktop; }
    std::string FolderDisplayName(const KnownFolderId& id, const std::string& locale) override;
    int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override;
    bool SignOut(std::uint32_t flags, std::uint32_t reason) override;

    const Environment& environment() const { return env_; }

protected:
    std::string IconNameOf(const std::string& path);

private:
    std::vector<MountEntry> Mounts() const;
    // The volumes of the last listing; LogicalDriveStrings reads them afresh, the calls
    // about one root that follow it reuse them.
    const std::vector<Volume>& Volumes();
    // The root of a listed volume opened, when that volume is still the one mounted there
    // (not unmounted or covered since the listing); -1 otherwise.
    int OpenListedRoot(const std::string& root);

    Environment env_;
    ElementTranslator translate_;
    // Known-folder paths and their icon names, read once: every row asks for its icon.
    std::vector<std::pair<std::string, std::string>> folderIcons_;
    bool folderIconsRead_ = false;
    std::optional<std::vector<Volume>> volumes_;
    ProgramRunner elevate_;
};

// The Linux desktop: the system above, with the desktop session for opening, icons, message
// boxes and signing out (Qt and D-Bus).
class LinuxPlatform final : public LinuxSystem {
public:
    using LinuxSystem::LinuxSystem;

    ShellIcon ShellIconOf(const std::string& path) override;
    bool ShellOpen(const std::string& target) override;
    int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override;
    bool SignOut(std::uint32_t flags, std::uint32_t reason) override;
    bool Notify(const std::string& title, const std::string& body) override;
};

}  // namespace trovel::platform::linux_desktop
