#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/catalogue/folder_list.h"
#include "cli/arguments.h"
#include "cli/command_line.h"
#include "core/space/drive_list.h"
#include "core/space/folder_walk.h"
#include "core/space/size_text.h"

namespace trovel::cli {

// ASCII letters in lower case: names and keys match in any case.
std::string Folded(std::string text);

// The registry and the drives, read once, and how to write about them.
class Session {
public:
    Session(platform::Platform& platform, Console& console) : platform_(platform), console_(console) {}

    // Reads the registry; false when it cannot be opened.
    bool Open();

    std::ostream& Out() { return console_.out; }
    // The command being run, for the hint a usage error ends with.
    void SetCommand(const std::string& command) { command_ = command; }
    // A usage error: the message and where to read more, and the status that says so.
    int Usage(const std::string& message);

    // The folder's name as the system's own tools give it: the desktop's name in the command
    // line's language on Linux ("Zene"), the canonical name on Windows ("My Music").
    std::string Name(const catalogue::FolderInfo& folder) const;
    // The xdg-user-dirs key of a folder on Linux ("MUSIC"); nothing elsewhere.
    std::string Key(const catalogue::FolderInfo& folder) const;
    // Why a folder cannot be relocated; empty when it can.
    std::string WhyNot(const catalogue::FolderInfo& folder) const;
    // The locale the command line speaks, as the platform takes it for names ("hu" or "C").
    std::string Locale() const { return console_.language == Language::Hungarian ? "hu" : "C"; }
    // The platform names folders as a desktop does, not by the registry's canonical names.
    bool DesktopNaming() const { return platform_.Naming() == platform::FolderNaming::Desktop; }
    // A folder by its name, its canonical name, its key (Linux) or its id; in any case.
    std::optional<std::size_t> Find(const std::string& text) const;
    // The named folders, or a usage error naming the first unknown one.
    std::optional<std::vector<std::size_t>> FindAll(const std::vector<std::string>& names, int& status);
    // What the size walk of the wizard measures: the folder without its nested known folders.
    std::int64_t Measure(const catalogue::FolderInfo& folder, space::WalkCounters& counters);

    std::string SizeText(std::int64_t bytes) const;
    // A count of files or folders with its digits grouped as the numeric locale groups them.
    std::string Count(std::uint64_t count) const {
        return space::CountText(count, console_.digitGroupSeparator, console_.digitGrouping);
    }
    std::string Separator() const {
        if (!console_.decimalSeparator.empty()) return console_.decimalSeparator;
        return console_.language == Language::Hungarian ? "," : ".";
    }
    space::DriveListing Drives() { return space::ListOfferedDrives(platform_, systemDrive_, profile_); }

    // The home folder, whose place on a drive every relocated folder goes below.
    const std::string& profile() const { return profile_; }
    platform::Platform& platform() { return platform_; }
    platform::KnownFolderManager& manager() { return *manager_; }
    const std::vector<catalogue::FolderInfo>& folders() const { return folders_; }
    Console& console() { return console_; }

private:
    platform::Platform& platform_;
    Console& console_;
    std::unique_ptr<platform::KnownFolderManager> manager_;
    std::vector<catalogue::FolderInfo> folders_;
    std::string systemDrive_;
    std::string profile_;
    std::string command_;
};

// The commands, each on an open session.
int List(Session& session, const Request& request);
int Drives(Session& session, const Request& request);
int Size(Session& session, const Request& request);
int Move(Session& session, const Request& request);
int Restore(Session& session, const Request& request);
// restore --copy [--delete], and restore --dry-run: the content back to the default place.
int RestoreWithContent(Session& session, const Request& request);
// The record of moves and restores, newest last; of the named folders only, when named.
int History(Session& session, const Request& request);
// Where a restore without content left the folder's content, from the newest record of the
// folder, while that place is still there; empty otherwise.
std::string ContentLeftBehind(Session& session, const catalogue::FolderInfo& folder,
                              const std::vector<platform::RelocationRecord>& records);
// Undoes or finishes the relocations a killed run left half done.
int Recover(Session& session, const Request& request);
// With the administrator's rights: makes a user's place on a drive, as the privileged helper does.
int Prepare(Session& session, const Request& request);
// The shell completions' listing: folder keys and names, or offered drive roots, one a line.
int Complete(Session& session, const Request& request);

}  // namespace trovel::cli
