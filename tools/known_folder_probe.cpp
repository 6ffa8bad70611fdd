// Exercises the Windows backend under Wine: lists the known folders and drives, resolves
// a description, takes an icon, and runs one relocation cycle of the Downloads folder
// inside a scratch folder, putting Downloads back where it was at the end. Prints every
// result; exits non-zero when a check fails.
//
// It copies the Downloads folder's content: on a real Windows it would copy the user's
// own, so there it runs only when asked to with --on-this-windows.
//
// usage: known_folder_probe SCRATCH_FOLDER [--on-this-windows]
//        known_folder_probe --expect-decimal SEPARATOR
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "core/catalogue/description.h"
#include "platform/known_folder_ids.h"
#include "platform/windows/windows_platform.h"
#include "core/relocation/folder_rules.h"
#include "core/relocation/restore_content.h"

namespace {

using namespace trovel::platform;
namespace relocation = trovel::relocation;

int failures = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

void Note(const std::string& what, HResult hr) { std::printf("     %s -> 0x%08lX\n", what.c_str(), static_cast<unsigned long>(hr)); }

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string PathOf(KnownFolder& folder, std::uint32_t flags) {
    std::string path;
    char what[32];
    std::snprintf(what, sizeof what, "GetPath(0x%X)", static_cast<unsigned>(flags));
    Note(what, folder.GetPath(flags, path));
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    windows_shell::WindowsPlatform platform;
    if (argc == 3 && std::string(argv[1]) == "--expect-decimal") {
        Check(platform.DecimalSeparator() == argv[2],
              "the user's decimal separator is \"" + platform.DecimalSeparator() + "\"");
        return failures == 0 ? 0 : 1;
    }
    if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--on-this-windows")) {
        std::fprintf(stderr, "usage: %s SCRATCH_FOLDER [--on-this-windows]\n", argv[0]);
        return 2;
    }
    if (!UnderWine() && argc != 3) {
        std::fprintf(stderr, "This is not Wine: the probe would copy your own Downloads folder. "
                             "Add --on-this-windows to run it anyway.\n");
        return 2;
    }
    const std::string scratch = argv[1];
    // The probe's own thread uses the shell as the workers do.
    const auto scope = platform.EnterWorkerThread();

    std::unique_ptr<KnownFolderManager> manager;
    const HResult created = platform.CreateKnownFolderManager(manager);
    Note("CreateKnownFolderManager", created);
    Check(Succeeded(created) && manager != nullptr, "the Known Folder Manager is created");
    if (!manager) return 1;

    std::vector<KnownFolderId> ids;
    Note("GetFolderIds", manager->GetFolderIds(ids));
    Check(ids.size() > 20, "it lists the registered folders (" + std::to_string(ids.size()) + ")");
    bool personal = false, music = false;
    for (const KnownFolderId& id : ids) {
        std::unique_ptr<KnownFolder> folder;
        if (!Succeeded(manager->GetFolder(id, folder))) continue;
        KnownFolderDefinition definition;
        folder->GetFolderDefinition(definition);
        std::uint32_t category = 0, capability = 0;
        folder->GetCategory(category);
        folder->GetRedirectionCapabilities(capability);
        std::string current, fallback;
        folder->GetPath(kCurrentPathFlags, current);
        folder->GetPath(kDefaultPathFlags, fallback);
        std::printf("     %s %-28s cat %u cap 0x%X  %s | %s\n", id.ToString().c_str(), definition.name.c_str(),
                    category, capability, current.c_str(), fallback.c_str());
        personal = personal || definition.name == "Personal";
        music = music || definition.name == "My Music";
        if (id == FOLDERID_Documents) {
            std::printf("     tooltip of Personal: \"%s\" -> \"%s\"\n", definition.tooltip.c_str(),
                        trovel::catalogue::ResolveDescription(platform, definition.tooltip).c_str());
            Check(!current.empty(), "Personal has a current path");
        }
    }
    Check(personal && music, "the canonical names \"Personal\" and \"My Music\" are listed");

    bool fixed = false;
    for (const std::string& root : platform.LogicalDriveStrings()) {
        std::string label;
        VolumeSpace space;
        const bool labelRead = platform.VolumeLabel(root, label);
        const bool spaceRead = platform.DiskFreeSpace(root, space);
        const auto type = platform.DriveTypeOf(root);
        std::printf("     drive %s type %u label %s \"%s\" free %lld of %lld\n", root.c_str(),
                    static_cast<unsigned>(type), labelRead ? "read" : "unread", label.c_str(),
                    static_cast<long long>(space.freeForUser), static_cast<long long>(space.total));
        fixed = fixed || (type == DriveType::Fixed && spaceRead && space.total > 0);
    }
    Check(fixed, "a fixed drive with its space is listed");

    std::string windows;
    std::unique_ptr<KnownFolder> windowsFolder;
    if (Succeeded(manager->GetFolder(FOLDERID_Windows, windowsFolder))) windowsFolder->GetPath(0, windows);
    Check(platform.DriveOf(windows).size() == 2, "the system drive is \"" + platform.DriveOf(windows) + "\"");
    const ShellIcon icon = platform.ShellIconOf(windows);
    Check(icon.width == 48 && icon.height == 48 && icon.argb.size() == 48u * 48u,
          "the extra-large shell icon is " + std::to_string(icon.width) + "x" + std::to_string(icon.height));

    // Description strings: a bare module name is read from the system folder, as data; a copy
    // planted in the working folder under a name the system folder lacks is never read.
    {
        std::string text;
        const bool read = platform.LoadStringResource("shell32.dll", 8, text);
        Check(read && !text.empty(), "a string of shell32.dll is read from the system folder (\"" + text + "\")");
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        const std::string planted = scratch + "\\trovelplanted.dll";
        ::CopyFileW((std::wstring(system) + L"\\shell32.dll").c_str(), std::wstring(planted.begin(), planted.end()).c_str(),
                    FALSE);
        ::SetCurrentDirectoryA(scratch.c_str());
        std::string plantedText;
        Check(Exists(planted) && !platform.LoadStringResource("trovelplanted.dll", 8, plantedText),
              "a module planted in the working folder is not read by its bare name");
        Check(platform.LoadStringResource(planted, 8, plantedText), "a module named by its full path is read");
    }

    // The workers use the manager and folder objects from threads of their own.
    {
        std::unique_ptr<KnownFolder> documents;
        manager->GetFolder(FOLDERID_Documents, documents);
        std::string fromWorker;
        std::vector<KnownFolderId> idsFromWorker;
        HResult pathResult = kFail, idsResult = kFail;
        std::thread worker([&] {
            const auto workerScope = platform.EnterWorkerThread();
            pathResult = documents->GetPath(kCurrentPathFlags, fromWorker);
            idsResult = manager->GetFolderIds(idsFromWorker);
        });
        worker.join();
        Note("GetPath(0) on a worker thread", pathResult);
        Check(Succeeded(pathResult) && !fromWorker.empty() && Succeeded(idsResult) && idsFromWorker.size() == ids.size(),
              "a worker thread reads the same registry");
    }

    // One relocation cycle of Downloads, inside the scratch folder.
    std::unique_ptr<KnownFolder> downloads;
    Note("GetFolder(Downloads)", manager->GetFolder(FOLDERID_Downloads, downloads));
    if (!downloads) return 1;
    const std::string original = PathOf(*downloads, kCurrentPathFlags);
    const std::string defaultPath = PathOf(*downloads, kDefaultPathFlags);
    // Whatever fails below, Downloads ends where it was, not merely at its default.
    struct PutBack {
        KnownFolder& folder;
        const std::string& path;
        ~PutBack() {
            std::string now;
            folder.GetPath(kCurrentPathFlags, now);
            if (now != path) Note("SetPath(0x2000, back to " + path + ")", folder.SetPath(KF_FLAG_DONT_UNEXPAND, path));
        }
    } putBack{*downloads, original};
    const std::string marker = "probe-marker.txt";
    std::ofstream(original + "\\" + marker) << "trovel";
    Check(Exists(original + "\\" + marker), "a marker file stands in Downloads (" + original + ")");

    const std::string pointed = scratch + "\\Pointed";
    ::CreateDirectoryA(pointed.c_str(), nullptr);
    HResult hr = downloads->SetPath(KF_FLAG_DONT_UNEXPAND, pointed);
    Note("SetPath(0x2000, " + pointed + ")", hr);
    Check(Succeeded(hr) && PathOf(*downloads, kCurrentPathFlags) == pointed, "SetPath re-points Downloads");
    Check(!Exists(pointed + "\\" + marker), "SetPath moves no content");
    Note("SetPath(0x2000, back to " + original + ")", downloads->SetPath(KF_FLAG_DONT_UNEXPAND, original));

    std::string refusal;
    hr = manager->Redirect(FOLDERID_Downloads, kRedirectCopyFlags, original + "\\Inside", {}, refusal);
    Note("Redirect(0x202, into itself) error \"" + refusal + "\"", hr);
    Check(!Succeeded(hr) && !refusal.empty() && !Exists(original + "\\Inside"),
          "a target inside the folder is refused before the shell is asked");

    const std::string copied = scratch + "\\Copied";
    // Another file under the marker's name at the target: refused, and left as it was.
    ::CreateDirectoryA(copied.c_str(), nullptr);
    std::ofstream(copied + "\\" + marker) << "someone else's";
    std::string conflict;
    hr = manager->Redirect(FOLDERID_Downloads, kRedirectCopyFlags, copied, {}, conflict);
    Note("Redirect(0x202, onto another file of the same name) error \"" + conflict + "\"", hr);
    std::ifstream kept(copied + "\\" + marker);
    const std::string keptText((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    kept.close();
    Check(!Succeeded(hr) && keptText == "someone else's" && PathOf(*downloads, kCurrentPathFlags) == original,
          "what stands at the target under the same name is never overwritten");
    ::DeleteFileA((copied + "\\" + marker).c_str());
    ::RemoveDirectoryA(copied.c_str());

    std::string error;
    hr = manager->Redirect(FOLDERID_Downloads, kRedirectCopyFlags, copied, {FOLDERID_Documents}, error);
    Note("Redirect(0x202, " + copied + ", 1 exclusion) error \"" + error + "\"", hr);
    Check(Succeeded(hr) && Exists(copied + "\\" + marker) && Exists(original + "\\" + marker),
          "copying leaves the content in both places");

    const std::string moved = scratch + "\\Moved";
    hr = manager->Redirect(FOLDERID_Downloads, kRedirectMoveFlags, moved, {}, error);
    Note("Redirect(0x602, " + moved + ", no exclusions: the null id, count 0) error \"" + error + "\"", hr);
    Check(Succeeded(hr) && Exists(moved + "\\" + marker) && !Exists(copied + "\\" + marker),
          "moving copies the content and empties the scratch source");

    // The wizard's own rules for one folder: relocated with its content onto a "drive" (a
    // scratch folder standing for the root), then restored.
    relocation::FolderChoice choice;
    choice.id = FOLDERID_Downloads;
    choice.name = "Downloads";
    choice.move = true;
    choice.copy = true;
    const relocation::FolderResult relocated =
        relocation::RelocateFolder(platform, *manager, choice, scratch + "\\Drive\\");
    Note("RelocateFolder(copy, " + relocated.destination + ") error \"" + relocated.errorText + "\"",
         relocated.outcome == relocation::FolderOutcome::RelocatedWithContent ? kOk : kFail);
    Check(relocated.outcome == relocation::FolderOutcome::RelocatedWithContent &&
              Exists(relocated.destination + "\\" + marker) && PathOf(*downloads, kCurrentPathFlags) == relocated.destination,
          "the run's rules relocate Downloads with its content below the drive root");
    // Put back with its content: Redirect 0x602 to the default path, after the same checks.
    ::DeleteFileA((defaultPath + "\\" + marker).c_str());
    relocation::FolderChoice back = choice;
    back.deleteSource = true;
    const relocation::FolderResult broughtBack = relocation::RestoreFolderWithContent(*manager, back, platform.Style());
    Note("RestoreFolderWithContent(0x602, " + broughtBack.destination + ") error \"" + broughtBack.errorText + "\"",
         broughtBack.outcome == relocation::FolderOutcome::RelocatedWithContent ? kOk : broughtBack.call);
    Check(broughtBack.outcome == relocation::FolderOutcome::RelocatedWithContent && broughtBack.destination == defaultPath &&
              Exists(defaultPath + "\\" + marker) && !Exists(relocated.destination + "\\" + marker) &&
              PathOf(*downloads, kCurrentPathFlags) == defaultPath,
          "a restore with content brings the file back to the default path and empties the old place");
    const relocation::FolderResult restored = relocation::RestoreFolder(*manager, FOLDERID_Downloads, platform.Style());
    Check(restored.outcome == relocation::FolderOutcome::Redirected && restored.destination == defaultPath &&
              PathOf(*downloads, kCurrentPathFlags) == defaultPath,
          "the restore's rules put Downloads back at its default path");

    hr = downloads->SetPath(0, defaultPath);
    Note("SetPath(0, " + defaultPath + ")", hr);
    Check(Succeeded(hr) && PathOf(*downloads, kCurrentPathFlags) == defaultPath,
          "SetPath puts Downloads back at its default");
    hr = downloads->SetPath(KF_FLAG_DONT_UNEXPAND, original);
    Check(Succeeded(hr) && PathOf(*downloads, kCurrentPathFlags) == original, "Downloads is back where it was");
    ::DeleteFileA((original + "\\" + marker).c_str());

    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
