#pragma once

#include "platform/platform.h"

namespace trovel::platform::windows_shell {

// The Windows shell and Win32 behind the platform interface.
class WindowsPlatform : public Platform {
public:
    PathStyle Style() const override { return PathStyle::Windows; }
    std::unique_ptr<ThreadScope> EnterWorkerThread() override;
    std::string DecimalSeparator() override;
    HResult CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) override;
    bool ExpandEnvironment(const std::string& text, std::string& expanded) override;
    bool LoadStringResource(const std::string& module, std::uint32_t id, std::string& text) override;
    ShellIcon ShellIconOf(const std::string& path) override;
    bool ShellOpen(const std::string& target) override;
    std::uint32_t FileAttributes(const std::string& path) override;
    bool ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) override;
    bool EntrySize(const std::string& path, std::int64_t& size) override;
    std::unique_ptr<DirectoryHandle> OpenDirectory(const std::string& path) override;
    int ParallelReadsFor(const std::string& path) override;
    std::vector<std::string> LogicalDriveStrings() override;
    DriveType DriveTypeOf(const std::string& root) override;
    bool VolumeLabel(const std::string& root, std::string& label) override;
    bool DiskFreeSpace(const std::string& root, VolumeSpace& space) override;
    std::string LastErrorText() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override;
    bool SignOut(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace trovel::platform::windows_shell
