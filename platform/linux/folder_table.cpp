#include "platform/linux/folder_table.h"

#include <map>

#include "platform/known_folder.h"
#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

using platform::Tr;
using platform::TrLater;

// FOLDERTYPEID values of the Windows shell.
const Guid kTypeGeneric = GuidLiteral("{5C4F28B5-F869-4E84-8E60-F11DB97C5CC7}");
const Guid kTypeDocuments = GuidLiteral("{7D49D726-3C21-4F05-99AA-FDC2C9474656}");
const Guid kTypeMusic = GuidLiteral("{94D6DDCC-4A68-4175-A374-BD584A510B78}");
const Guid kTypePictures = GuidLiteral("{B3690E58-E961-423B-B687-386EBFD83239}");
const Guid kTypeVideos = GuidLiteral("{5FA96407-7E77-483C-AC93-691D05850DE8}");

constexpr std::uint32_t kPerUser = KF_CATEGORY_PERUSER;
constexpr std::uint32_t kCommon = KF_CATEGORY_COMMON;
constexpr std::uint32_t kFixed = KF_CATEGORY_FIXED;
constexpr std::uint32_t kVirtual = KF_CATEGORY_VIRTUAL;
constexpr std::uint32_t kRelocatable = KF_REDIRECTION_CAPABILITIES_REDIRECTABLE;
// Folders the system fixes in place: the login session or the base-directory rules set them.
constexpr std::uint32_t kFixedInPlace = KF_REDIRECTION_CAPABILITIES_DENY_POLICY;

const std::map<std::uint32_t, const char*>& Descriptions() {
    static const std::map<std::uint32_t, const char*> texts{
        {101, TrLater("The folder of the files and shortcuts placed on the desktop.")},
        {102, TrLater("The folder for documents, letters and other personal files.")},
        {103, TrLater("The folder of files downloaded from the internet.")},
        {104, TrLater("The folder for music and other audio files.")},
        {105, TrLater("The folder for photos and other image files.")},
        {106, TrLater("The folder for films and other video files.")},
        {107, TrLater("The folder of templates for new documents.")},
        {108, TrLater("The folder of files shared with other users.")},
        {109, TrLater("The user's own folder, the place of the personal folders and settings.")},
        {110, TrLater("The folder of the applications' per-user settings.")},
        {111, TrLater("The folder of the applications' per-user data.")},
        {112, TrLater("The folder of the applications' temporary data, which can be made again.")},
        {113, TrLater("The folder of the user's own fonts.")},
        {114, TrLater("The folder of the user's own application launchers.")},
        {115, TrLater("The folder of every user's application launchers.")},
        {116, TrLater("The folder of the programs started at login.")},
        {117, TrLater("The folder of every user's programs started at login.")},
        {118, TrLater("The Trash, which keeps deleted files.")},
        {119, TrLater("The folder holding the users' own folders.")},
        {120, TrLater("The folder of the operating system's programs and libraries.")},
    };
    return texts;
}

}  // namespace

const std::vector<FolderEntry>& FolderTable() {
    static const std::vector<FolderEntry> table{
        {GuidLiteral("{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}"), "Desktop", kPerUser, kRelocatable, kTypeGeneric,
         PathSource::UserDir, "DESKTOP", 101, "user-desktop"},
        {GuidLiteral("{FDD39AD0-238F-46AF-ADB4-6C85480369C7}"), "Personal", kPerUser, kRelocatable, kTypeDocuments,
         PathSource::UserDir, "DOCUMENTS", 102, "folder-documents"},
        {GuidLiteral("{374DE290-123F-4565-9164-39C4925E467B}"), "Downloads", kPerUser, kRelocatable, kTypeGeneric,
         PathSource::UserDir, "DOWNLOAD", 103, "folder-download"},
        {GuidLiteral("{4BD8D571-6D19-48D3-BE97-422220080E43}"), "My Music", kPerUser, kRelocatable, kTypeMusic,
         PathSource::UserDir, "MUSIC", 104, "folder-music"},
        {GuidLiteral("{33E28130-4E1E-4676-835A-98395C3BC3BB}"), "My Pictures", kPerUser, kRelocatable,
         kTypePictures, PathSource::UserDir, "PICTURES", 105, "folder-pictures"},
        {GuidLiteral("{18989B1D-99B5-455B-841C-AB7C74E4DDFC}"), "My Video", kPerUser, kRelocatable, kTypeVideos,
         PathSource::UserDir, "VIDEOS", 106, "folder-videos"},
        {GuidLiteral("{A63293E8-664E-48DB-A079-DF759E0509F7}"), "Templates", kPerUser, kRelocatable, kTypeGeneric,
         PathSource::UserDir, "TEMPLATES", 107, "folder-templates"},
        {GuidLiteral("{DFDF76A2-C82A-4D63-906A-5644AC457385}"), "Public", kPerUser, kRelocatable, kTypeGeneric,
         PathSource::UserDir, "PUBLICSHARE", 108, "folder-publicshare"},
        {GuidLiteral("{5E6C858F-0E22-4760-9AFE-EA3317B67173}"), "Profile", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::Home, "", 109, "user-home"},
        {GuidLiteral("{3EB685DB-65F9-4CF6-A03A-E3EF65729F3D}"), "AppData", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::ConfigHome, "", 110, "folder"},
        {GuidLiteral("{F1B32785-6FBA-4FCF-9D55-7B8E7F157091}"), "Local AppData", kFixed, kFixedInPlace,
         kTypeGeneric, PathSource::DataHome, "", 111, "folder"},
        {GuidLiteral("{352481E8-33BE-4251-BA85-6007CAEDCF9D}"), "Cache", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::CacheHome, "", 112, "folder"},
        {GuidLiteral("{FD228CB7-AE11-4AE3-864C-16F3910AB8FE}"), "Fonts", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::UnderData, "fonts", 113, "folder"},
        {GuidLiteral("{A77F5D77-2E2B-44C3-A6A2-ABA601054A51}"), "Programs", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::UnderData, "applications", 114, "folder"},
        {GuidLiteral("{0139D44E-6AFE-49F2-8690-3DAFCAE6FFB8}"), "Common Programs", kCommon, kFixedInPlace,
         kTypeGeneric, PathSource::Absolute, "/usr/share/applications", 115, "folder"},
        {GuidLiteral("{B97D20BB-F46A-4C97-BA10-5E3608430854}"), "Startup", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::UnderConfig, "autostart", 116, "folder"},
        {GuidLiteral("{82A5EA35-D9CD-47C5-9629-E15D2F714E6E}"), "Common Startup", kCommon, kFixedInPlace,
         kTypeGeneric, PathSource::Absolute, "/etc/xdg/autostart", 117, "folder"},
        {GuidLiteral("{B7534046-3ECB-4C18-BE4E-64CD4CB7D6AC}"), "RecycleBinFolder", kVirtual, kFixedInPlace, Guid{},
         PathSource::None, "", 118, "user-trash"},
        {GuidLiteral("{0762D272-C50A-4BB0-A382-697DCD729B80}"), "UserProfiles", kFixed, kFixedInPlace,
         kTypeGeneric, PathSource::Absolute, "/home", 119, "folder"},
        {GuidLiteral("{F38BF404-1D43-42F2-9305-67DE0B28FC23}"), "Windows", kFixed, kFixedInPlace, kTypeGeneric,
         PathSource::Absolute, "/usr", 120, "folder"},
    };
    return table;
}

const DisplayNames* DisplayNamesOf(const Guid& id) {
    // The names file managers give these places (the home folder, the trash, the user-dirs
    // folders in their sidebars); the base-directory folders by what they hold.
    static const std::map<std::string, DisplayNames> names{
        {"Desktop", {"Desktop", "Asztal"}},
        {"Personal", {"Documents", "Dokumentumok"}},
        {"Downloads", {"Downloads", "Letöltések"}},
        {"My Music", {"Music", "Zene"}},
        {"My Pictures", {"Pictures", "Képek"}},
        {"My Video", {"Videos", "Videók"}},
        {"Templates", {"Templates", "Sablonok"}},
        {"Public", {"Public", "Nyilvános"}},
        {"Profile", {"Home", "Saját mappa"}},
        {"AppData", {"Settings", "Beállítások"}},
        {"Local AppData", {"Application data", "Alkalmazásadatok"}},
        {"Cache", {"Cache", "Gyorsítótár"}},
        {"Fonts", {"Fonts", "Betűkészletek"}},
        {"Programs", {"Applications", "Alkalmazások"}},
        {"Common Programs", {"Applications of all users", "Az összes felhasználó alkalmazásai"}},
        {"Startup", {"Autostart", "Automatikus indítás"}},
        {"Common Startup", {"Autostart of all users", "Az összes felhasználó automatikus indítása"}},
        {"RecycleBinFolder", {"Trash", "Kuka"}},
        {"UserProfiles", {"Homes", "Felhasználók saját mappái"}},
        {"Windows", {"System", "Rendszer"}},
    };
    for (const FolderEntry& entry : FolderTable()) {
        if (entry.id != id) continue;
        const auto it = names.find(entry.name);
        return it == names.end() ? nullptr : &it->second;
    }
    return nullptr;
}

const char* DescriptionText(std::uint32_t id) {
    const auto it = Descriptions().find(id);
    return it == Descriptions().end() ? nullptr : Tr(it->second);
}

}  // namespace trovel::platform::linux_desktop
