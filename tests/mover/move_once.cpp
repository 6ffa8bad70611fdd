// Moves one folder's content with the real file operations, in a process of its own, so that a
// test can run it under strace and fail the system calls it chooses.
//   move_once SOURCE TARGET DRIVE_ROOT JOURNAL   (exit 0: moved; 1: not moved)
#include <cstdio>
#include <fstream>
#include <string>

#include "mover/content_mover.h"
#include "platform/linux/posix_file_ops.h"

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET DRIVE_ROOT JOURNAL\n", argv[0]);
        return 2;
    }
    trovel::relocation::MoveRequest request;
    request.source = argv[1];
    request.target = argv[2];
    request.driveRoot = argv[3];
    request.journal = argv[4];
    request.deleteSource = true;
    trovel::relocation::MoveCallbacks callbacks;
    callbacks.registerTarget = [&] {
        std::ofstream(request.journal + ".registered") << request.target;
        return true;
    };
    trovel::platform::linux_desktop::PosixFileOps ops;
    const auto result = trovel::relocation::MoveFolderContent(ops, request, callbacks);
    std::printf("%s\n", result.errorText.c_str());
    return result.outcome == trovel::relocation::MoveOutcome::Moved ? 0 : 1;
}
