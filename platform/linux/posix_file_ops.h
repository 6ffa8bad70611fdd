#pragma once

#include "platform/file_ops.h"

namespace trovel::platform::linux_desktop {

// The content mover's file operations on a Linux file system, every one relative to a held
// folder descriptor (the openat family, never following a link): FICLONE, then
// copy_file_range, then read and write, keeping holes; metadata as cp -a keeps it.
class PosixFileOps : public FileOps {
public:
    int OpenPath(const std::string& path, HeldFolder& folder, FileInfo& info) override;
    int OpenChild(HeldFolder parent, const std::string& name, const FileInfo& expected, HeldFolder& folder) override;
    void Close(HeldFolder folder) override;
    int StatHeld(HeldFolder folder, FileInfo& info) override;
    int Stat(HeldFolder parent, const std::string& name, FileInfo& info) override;
    int List(HeldFolder folder, std::vector<std::string>& names) override;
    int CheckReadable(HeldFolder parent, const std::string& name, FileKind kind) override;
    int MakeDirectory(HeldFolder parent, const std::string& name) override;
    int CopyFile(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent, const std::string& toName,
                 const FileInfo& like, const std::function<void(std::uint64_t)>& copied) override;
    int MakeSymlink(const std::string& linkTarget, HeldFolder parent, const std::string& name) override;
    int MakeNode(HeldFolder parent, const std::string& name, const FileInfo& like) override;
    int HardLink(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                 const std::string& toName) override;
    int RenameFolder(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                     const std::string& toName, bool overEmptyFolder) override;
    int CopyMetadata(HeldFolder fromParent, const std::string& fromName, HeldFolder toParent,
                     const std::string& toName, const FileInfo& like) override;
    int Remove(HeldFolder parent, const std::string& name, FileKind kind) override;
    int Sync(HeldFolder folder) override;
    int FreeSpace(HeldFolder folder, std::uint64_t& bytes) override;
    int Hash(HeldFolder parent, const std::string& name, std::uint64_t& hash) override;
    std::string TemporaryName(std::uint64_t runId, const FileInfo& like) override;
    int WriteRecord(const std::string& path, const std::string& content) override;
    int ReadRecord(const std::string& path, std::string& content) override;
    int RemoveRecord(const std::string& path) override;
    int SetRecordAside(const std::string& path, const std::string& asidePath) override;
    bool MayMakeDevices() override;
    std::uint64_t RunId() override;
    std::string ErrorText(int error) override;
};

}  // namespace trovel::platform::linux_desktop
