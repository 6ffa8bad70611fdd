// Registers a folder for one xdg-user-dirs key, as the program does, in a process of its
// own: the tests run it under fault injection and several at once.
// Usage: set_user_dir KEY PATH [TIMES]   (HOME and XDG_CONFIG_HOME as in the environment)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/folder_table.h"
#include "platform/linux/known_folders.h"

using namespace trovel::platform;
using namespace trovel::platform::linux_desktop;

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string key = argv[1];
    const int times = argc > 3 ? std::atoi(argv[3]) : 1;
    XdgKnownFolderManager manager(Environment::FromProcess(), [](const std::string& element) { return element; });
    for (const FolderEntry& entry : FolderTable()) {
        if (entry.source != PathSource::UserDir || key != entry.where) continue;
        std::unique_ptr<KnownFolder> folder;
        if (manager.GetFolder(entry.id, folder) != kOk) return 3;
        for (int i = 0; i < times; ++i) {
            const HResult result = folder->SetPath(0, argv[2]);
            if (result != kOk) {
                std::fprintf(stderr, "SetPath failed: 0x%08x\n", static_cast<unsigned>(result));
                return 1;
            }
        }
        return 0;
    }
    return 2;
}
