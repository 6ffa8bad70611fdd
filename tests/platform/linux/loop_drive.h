#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace trovel::testing {

// A loop-mounted ext4 image listed in its own fstab, removed with everything when done.
class LoopDrive {
public:
    explicit LoopDrive(const char* size = "32M") {
        // On a disk, not in a RAM folder: a loop over RAM would not count as a fixed drive.
        std::string pattern = std::filesystem::current_path().string() + "/e2e-drive-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) return;
        dir_ = pattern;
        point = dir_ + "/mnt";
        fstab = dir_ + "/fstab";
        std::filesystem::create_directories(point);
        const std::string image = dir_ + "/image.ext4";
        mounted = std::system(("truncate -s " + std::string(size) + " '" + image + "' && mkfs.ext4 -q -L E2E '" + image +
                               "' && mount -o loop '" + image + "' '" + point + "' 2>/dev/null")
                                  .c_str()) == 0;
        std::ofstream(fstab) << image << " " << point << " ext4 defaults 0 2\n";
    }
    ~LoopDrive() {
        if (mounted) std::system(("umount '" + point + "'").c_str());
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    // How many entries the drive holds, at any depth, besides the filesystem's own lost+found.
    std::size_t Entries() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(point))
            count += entry.path().filename() == "lost+found" ? 0 : 1;
        return count;
    }

    std::string point;
    std::string fstab;
    bool mounted = false;

private:
    std::string dir_;
};

}  // namespace trovel::testing
