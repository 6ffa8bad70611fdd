#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "platform/linux/posix_file_ops.h"
#include "mover/content_mover.h"
#include "../platform/linux/temp_dir.h"

namespace trovel::testing {

using platform::FileInfo;
using platform::FileKind;

// A small tree with one of everything a folder can hold: nested folders, an empty file, a
// sparse file, an executable, a hard link pair, links (one dangling), a FIFO, odd names,
// a private folder, an extended attribute, times to the nanosecond.
inline void MakeVariedTree(const std::string& root) {
    namespace fs = std::filesystem;
    fs::create_directories(root + "/Photos/2019/Summer");
    fs::create_directories(root + "/.hidden-folder");
    fs::create_directories(root + "/Private");
    fs::create_directories(root + "/Nested/Inner");  // an excluded known folder sits here in some tests
    std::ofstream(root + "/Photos/2019/Summer/beach.jpg") << std::string(70000, 'b');
    std::ofstream(root + "/Photos/notes.txt") << "Árvíztűrő tükörfúrógép\n";
    std::ofstream(root + "/empty");
    std::ofstream(root + "/.hidden-folder/config") << "x=1\n";
    std::ofstream(root + "/Nested/Inner/keep.txt") << "stays";
    std::ofstream(root + "/Nested/outside.txt") << "moves";
    std::ofstream(root + "/név szóközzel.txt") << "space";
    std::ofstream(root + "/run.sh") << "#!/bin/sh\n";
    ::chmod((root + "/run.sh").c_str(), 0750);
    ::chmod((root + "/Private").c_str(), 0700);
    std::ofstream(root + "/Private/secret") << "psst";
    ::chmod((root + "/Private/secret").c_str(), 0600);
    {
        const int fd = ::open((root + "/sparse.img").c_str(), O_WRONLY | O_CREAT, 0644);
        (void)!::pwrite(fd, "head", 4, 0);
        (void)!::pwrite(fd, "tail", 4, 8 * 1024 * 1024);
        ::close(fd);
    }
    ::link((root + "/Photos/notes.txt").c_str(), (root + "/notes-link.txt").c_str());
    ::symlink("Photos/notes.txt", (root + "/to-notes").c_str());
    ::symlink("/nowhere/at/all", (root + "/dangling").c_str());
    ::mkfifo((root + "/pipe").c_str(), 0640);
    ::lsetxattr((root + "/Photos/notes.txt").c_str(), "user.trovel", "tagged", 6, 0);  // where the fs allows
    const timespec times[2] = {{1500000000, 123456789}, {1600000000, 987654321}};
    ::utimensat(AT_FDCWD, (root + "/Photos/notes.txt").c_str(), times, AT_SYMLINK_NOFOLLOW);
    ::utimensat(AT_FDCWD, (root + "/Photos/2019").c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// The content hash of a file, read through a path: for checking results in tests.
inline std::uint64_t HashOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 1469598103934665603ull;
    for (char c; in.get(c);) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// Every entry below `root` with what a copy must keep: kind, size, mode, owner, times,
// link target, content and extended attributes. Hard links show as the same group number.
inline std::map<std::string, std::string> Manifest(const std::string& root, bool withAccessTimes = false) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> manifest;
    std::map<std::pair<dev_t, ino_t>, int> groups;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(root, error))) return manifest;
    for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string path = it->path().string();
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        std::ostringstream line;
        line << (info.st_mode & S_IFMT) << " " << (info.st_mode & 07777) << " " << info.st_uid << ":" << info.st_gid;
        if (!S_ISDIR(info.st_mode)) line << " size " << info.st_size;
        if (!S_ISLNK(info.st_mode) && !S_ISDIR(info.st_mode))
            line << " mtime " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec;
        if (withAccessTimes) line << " atime " << info.st_atim.tv_sec;
        if (S_ISLNK(info.st_mode)) line << " -> " << fs::read_symlink(path, error).string();
        if (S_ISREG(info.st_mode)) {
            line << " hash " << HashOf(path);
            if (info.st_nlink > 1) {
                const auto key = std::make_pair(info.st_dev, info.st_ino);
                groups.emplace(key, static_cast<int>(groups.size()));
                line << " link-group " << groups[key];
            }
        }
        char value[64] = {};
        if (::lgetxattr(path.c_str(), "user.trovel", value, sizeof value - 1) > 0) line << " xattr " << value;
        manifest[path.substr(root.size())] = line.str();
    }
    return manifest;
}

// A whole move of `home`/Music to `drive`/home/al/Music, deleting the old place, with the
// content compared: what the tests of a folder moving under interference ask for.
inline relocation::MoveRequest WholeMusicMove(const TempDir& home, const TempDir& drive) {
    relocation::MoveRequest request;
    request.source = home / "Music";
    request.target = drive / "home/al/Music";
    request.driveRoot = drive.path();
    request.deleteSource = true;
    request.journal = home / ".local/state/trovel/move-MUSIC.journal";
    request.verifyContent = true;
    return request;
}

// The real file operations, failing the n-th call (counting every call) with `error`, or
// killing the process there; `log` names the calls in order when `logging` is set.
class FaultyOps : public platform::linux_desktop::PosixFileOps {
public:
    using HeldFolder = platform::HeldFolder;
    int failAt = 0;  // 0: never
    int error = EIO;
    bool kill = false;
    bool logging = false;
    std::atomic<int> calls{0};
    std::vector<std::string> log;
    // Called before every operation with its name and number, one call at a time: where a
    // test interferes.
    std::function<void(const std::string& what, int call)> before;

    int OpenPath(const std::string& p, HeldFolder& f, FileInfo& i) override {
        return Fault("OpenPath") ? error : PosixFileOps::OpenPath(p, f, i);
    }
    int OpenChild(HeldFolder p, const std::string& n, const FileInfo& e, HeldFolder& f) override {
        return Fault("OpenChild") ? error : PosixFileOps::OpenChild(p, n, e, f);
    }
    int StatHeld(HeldFolder f, FileInfo& i) override { return Fault("StatHeld") ? error : PosixFileOps::StatHeld(f, i); }
    int Stat(HeldFolder p, const std::string& n, FileInfo& i) override {
        return Fault("Stat") ? error : PosixFileOps::Stat(p, n, i);
    }
    int List(HeldFolder f, std::vector<std::string>& n) override { return Fault("List") ? error : PosixFileOps::List(f, n); }
    int CheckReadable(HeldFolder p, const std::string& n, FileKind k) override {
        return Fault("CheckReadable") ? error : PosixFileOps::CheckReadable(p, n, k);
    }
    int MakeDirectory(HeldFolder p, const std::string& n) override {
        return Fault("MakeDirectory") ? error : PosixFileOps::MakeDirectory(p, n);
    }
    int CopyFile(HeldFolder fp, const std::string& fn, HeldFolder tp, const std::string& tn, const FileInfo& l,
                 const std::function<void(std::uint64_t)>& c) override {
        return Fault("CopyFile") ? error : PosixFileOps::CopyFile(fp, fn, tp, tn, l, c);
    }
    int MakeSymlink(const std::string& l, HeldFolder p, const std::string& n) override {
        return Fault("MakeSymlink") ? error : PosixFileOps::MakeSymlink(l, p, n);
    }
    int MakeNode(HeldFolder p, const std::string& n, const FileInfo& l) override {
        return Fault("MakeNode") ? error : PosixFileOps::MakeNode(p, n, l);
    }
    int HardLink(HeldFolder fp, const std::string& fn, HeldFolder tp, const std::string& tn) override {
        return Fault("HardLink") ? error : PosixFileOps::HardLink(fp, fn, tp, tn);
    }
    int CopyMetadata(HeldFolder fp, const std::string& fn, HeldFolder tp, const std::string& tn,
                     const FileInfo& l) override {
        return Fault("CopyMetadata") ? error : PosixFileOps::CopyMetadata(fp, fn, tp, tn, l);
    }
    int Remove(HeldFolder p, const std::string& n, FileKind k) override {
        return Fault("Remove") ? error : PosixFileOps::Remove(p, n, k);
    }
    int Sync(HeldFolder f) override { return Fault("Sync") ? error : PosixFileOps::Sync(f); }
    int FreeSpace(HeldFolder f, std::uint64_t& b) override { return Fault("FreeSpace") ? error : PosixFileOps::FreeSpace(f, b); }
    int Hash(HeldFolder p, const std::string& n, std::uint64_t& h) override {
        return Fault("Hash") ? error : PosixFileOps::Hash(p, n, h);
    }
    int WriteRecord(const std::string& p, const std::string& c) override {
        return Fault("WriteRecord") ? error : PosixFileOps::WriteRecord(p, c);
    }
    int ReadRecord(const std::string& p, std::string& c) override {
        return Fault("ReadRecord") ? error : PosixFileOps::ReadRecord(p, c);
    }
    int RemoveRecord(const std::string& p) override { return Fault("RemoveRecord") ? error : PosixFileOps::RemoveRecord(p); }

    // Marks a point in the log from outside (the registration, say).
    void Note(const std::string& what) {
        std::lock_guard lock(logLock_);
        if (logging) log.push_back(what);
    }

private:
    bool Fault(const char* what) {
        Note(what);
        const int call = ++calls;
        if (before) {
            // The workers call at once; a test's hook runs one call at a time.
            const std::lock_guard<std::mutex> one(beforeLock_);
            before(what, call);
        }
        if (call != failAt) return false;
        if (kill) ::raise(SIGKILL);
        return true;
    }
    std::mutex logLock_;
    std::mutex beforeLock_;
};

}  // namespace trovel::testing
