#pragma once

#include "platform/file_ops.h"

namespace trovel::platform::linux_desktop {

// The content mover's file operations on a Linux file system: FICLONE, then
// copy_file_range, then read and write, keeping holes; metadata as cp -a keeps it.
class PosixFileOps : public FileOps {
public:
    int Stat(const std::string& path, FileInfo& info) override;
    int List(const std::string& directory, std::vector<std::string>& names) override;
    int CheckReadable(const std::string& path, FileKind kind) override;
    int MakeDirectory(const std::string& path) override;
    int CopyFile(const std::string& source, const std::string& target, const FileInfo& like,
                 const std::function<void(std::uint64_t)>& copied) override;
    int MakeSymlink(const std::string& linkTarget, const std::string& path) override;
    int MakeNode(const std::string& path, const FileInfo& like) override;
    int HardLink(const std::string& existing, const std::string& path) override;
    int CopyMetadata(const std::string& source, const std::string& target, const FileInfo& like) override;
    int Remove(const std::string& path, FileKind kind) override;
    int Sync(const std::string& path) override;
    int FreeSpace(const std::string& path, std::uint64_t& bytes) override;
    int Hash(const std::string& path, std::uint64_t& hash) override;
    int WriteRecord(const std::string& path, const std::string& content) override;
    int ReadRecord(const std::string& path, std::string& content) override;
    bool MayMakeDevices() override;
    std::string ErrorText(int error) override;
};

}  // namespace trovel::platform::linux_desktop
