#pragma once

#include <string>

namespace trovel::platform::linux_desktop {

// One run per folder: an exclusive advisory lock (flock) on FOLDER/KEY.lock, taken without
// waiting and held until the object goes. The folder is made (0700) when missing, the file
// (0600) too; neither is ever followed when it is a symbolic link. Lives beside the journal
// of the same key, so a killed run's lock goes with its process and only its journal stays.
class RunLock {
public:
    enum class Status {
        Held,    // this object holds the lock
        Busy,    // another run holds it: nothing was written
        Failed,  // the folder or the file could not be made or opened: see error()
    };

    RunLock(const std::string& folder, const std::string& key);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    Status status() const { return status_; }
    bool Held() const { return status_ == Status::Held; }
    int error() const { return error_; }  // errno of the failure, for Failed
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    Status status_ = Status::Failed;
    int error_ = 0;
    std::string path_;
};

// Whether another run holds FOLDER/KEY.lock now, asked without making or keeping anything (for
// a dry run): a missing folder or file is free.
bool RunLockBusy(const std::string& folder, const std::string& key);

// The lock file of a folder's relocations: STATE_HOME/trovel/KEY.lock.
std::string RunLockFolder(const std::string& stateHome);

}  // namespace trovel::platform::linux_desktop
