#include "platform/linux/known_folders.h"

#include <gtest/gtest.h>

#include <map>
#include <cstdlib>
#include <optional>

#include "platform/known_folder_ids.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/safe_file.h"
#include "platform/linux/user_dirs_file.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

// A scratch home whose registry the tests write, with a translator that marks its work.
class XdgRegistryTest : public ::testing::Test {
protected:
    XdgRegistryTest() {
        home.Write("etc-xdg/user-dirs.defaults", "DOCUMENTS=Documents\nMUSIC=Documents/Music\nDESKTOP=Desktop\n");
    }

    std::unique_ptr<KnownFolder> Folder(const Guid& id) {
        std::unique_ptr<KnownFolder> folder;
        EXPECT_EQ(manager.GetFolder(id, folder), kOk);
        return folder;
    }
    std::string PathOf(const Guid& id, std::uint32_t flags = kCurrentPathFlags) {
        std::string path;
        Folder(id)->GetPath(flags, path);
        return path;
    }
    std::string Registry() { return ReadWholeFile(home / ".config/user-dirs.dirs").value_or("<none>"); }

    testing::TempDir home;
    Environment env = testing::ScratchEnvironment(home, home / "etc-xdg");
    XdgKnownFolderManager manager{env, [](const std::string& element) { return element == "Documents" ? "Dokumentumok" : element; }};
};

TEST_F(XdgRegistryTest, ListsTheUserDirsAsRelocatableAndTheRestAsFixed) {
    std::vector<KnownFolderId> ids;
    ASSERT_EQ(manager.GetFolderIds(ids), kOk);
    ASSERT_EQ(ids.size(), FolderTable().size());
    std::map<std::string, std::uint32_t> capability;
    for (const KnownFolderId& id : ids) {
        KnownFolderDefinition definition;
        auto folder = Folder(id);
        ASSERT_EQ(folder->GetFolderDefinition(definition), kOk);
        std::uint32_t value = 0;
        folder->GetRedirectionCapabilities(value);
        capability[definition.name] = value;
        EXPECT_GT(definition.tooltip.size(), 10u) << definition.name;
    }
    for (const char* name : {"Desktop", "Personal", "My Music"}) EXPECT_EQ(capability[name], 1u) << name;
    // Keys without a default point at the home folder, which is never moved as a folder.
    for (const char* name : {"Downloads", "My Pictures", "My Video", "Templates", "Public"})
        EXPECT_EQ(capability[name], static_cast<std::uint32_t>(KF_REDIRECTION_CAPABILITIES_DENY_POLICY)) << name;
    for (const char* name : {"Profile", "AppData", "Local AppData", "Cache", "Fonts", "Programs", "Startup",
                             "RecycleBinFolder", "Windows", "Common Programs"})
        EXPECT_NE(capability[name], 1u) << name;
    EXPECT_EQ(Folder(FOLDERID_Documents) != nullptr, true);
    std::uint32_t category = 0;
    Folder(FOLDERID_Music)->GetCategory(category);
    EXPECT_EQ(category, static_cast<std::uint32_t>(KF_CATEGORY_PERUSER));
}

TEST_F(XdgRegistryTest, CurrentPathComesFromTheRegistryAndMustExist) {
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"/nonexistent/Music\"\nXDG_DESKTOP_DIR=\"$HOME/Asztal\"\n");
    home.MakeDir("Asztal");
    EXPECT_EQ(PathOf(FOLDERID_Desktop), home / "Asztal");
    std::string path = "stale";
    EXPECT_NE(Folder(FOLDERID_Music)->GetPath(kCurrentPathFlags, path), kOk);
    EXPECT_EQ(path, "");
    // Without verification the registered path is handed back as it is.
    EXPECT_EQ(PathOf(FOLDERID_Music, KF_FLAG_DONT_VERIFY), "/nonexistent/Music");
    // The trash has no file-system path.
    EXPECT_NE(Folder(GuidLiteral("{B7534046-3ECB-4C18-BE4E-64CD4CB7D6AC}"))->GetPath(0, path), kOk);
}

TEST_F(XdgRegistryTest, DefaultPathIsTheLocalizedDefaultAndCreateMakesIt) {
    home.Write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/mnt/data/Docs\"\n");
    EXPECT_EQ(PathOf(FOLDERID_Documents, kDefaultPathFlags), home / "Dokumentumok");
    EXPECT_EQ(PathOf(FOLDERID_Music, kDefaultPathFlags), home / "Dokumentumok/Music");
    EXPECT_FALSE(std::filesystem::exists(home / "Dokumentumok"));
    EXPECT_EQ(PathOf(FOLDERID_Music, kCreateDefaultPathFlags), home / "Dokumentumok/Music");
    EXPECT_TRUE(std::filesystem::is_directory(home / "Dokumentumok/Music"));
    // A key without a default points at the home folder, as xdg-user-dirs does.
    EXPECT_EQ(PathOf(FOLDERID_Videos, kDefaultPathFlags), home.path());
    // A key missing from the registry gets its default back at login: that is its current path.
    home.MakeDir("Desktop");
    EXPECT_EQ(PathOf(FOLDERID_Desktop), home / "Desktop");
}

TEST_F(XdgRegistryTest, SetPathRewritesOnlyItsKey) {
    const std::string original =
        "# my own comment\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_FOO_DIR=\"/opt/foo\"\n"
        "xdg_music_dir=\"lower case stays\"\n"
        "XDG_MUSIC_DIR=\"$HOME/Music\"\n";
    home.Write(".config/user-dirs.dirs", original);
    home.MakeDir("Zene");
    home.MakeDir("elsewhere/Music");

    ASSERT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "Zene"), kOk);
    EXPECT_EQ(Registry(),
              "# my own comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_FOO_DIR=\"/opt/foo\"\n"
              "xdg_music_dir=\"lower case stays\"\nXDG_MUSIC_DIR=\"$HOME/Zene\"\n");
    EXPECT_EQ(PathOf(FOLDERID_Music), home / "Zene");

    ASSERT_EQ(Folder(FOLDERID_Music)->SetPath(KF_FLAG_DONT_UNEXPAND, home / "elsewhere/Music/"), kOk);
    EXPECT_NE(Registry().find("XDG_MUSIC_DIR=\"" + home.path() + "/elsewhere/Music\"\n"), std::string::npos);
}

TEST_F(XdgRegistryTest, SetPathRefusesWhatWouldNotSurviveTheNextLogin) {
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    const std::string before = Registry();
    home.MakeDir("with$dollar");
    home.MakeDir("with\"quote");
    EXPECT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "missing"), kPathNotFound);
    EXPECT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "with$dollar"), kInvalidArg);
    EXPECT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "with\"quote"), kInvalidArg);
    EXPECT_EQ(Folder(FOLDERID_Music)->SetPath(0, "relative"), kInvalidArg);
    EXPECT_EQ(Folder(FOLDERID_Profile)->SetPath(0, home.path()), kAccessDenied);
    EXPECT_EQ(Registry(), before);
}

TEST_F(XdgRegistryTest, SetPathWritesThroughALinkedRegistry) {
    home.Write("dotfiles/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    home.Link(".config/user-dirs.dirs", home / "dotfiles/user-dirs.dirs");
    home.MakeDir("Zene");
    ASSERT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "Zene"), kOk);
    EXPECT_TRUE(std::filesystem::is_symlink(home / ".config/user-dirs.dirs"));
    EXPECT_EQ(ReadWholeFile(home / "dotfiles/user-dirs.dirs"), "XDG_MUSIC_DIR=\"$HOME/Zene\"\n");
}

TEST_F(XdgRegistryTest, RedirectMovesTheContentRegistersTheTargetAndKeepsNestedFolders) {
    // Music holds a nested known folder (Videos), which stays where it is with its way there.
    home.Write("Zene/album/song.mp3", std::string(5000, 's'));
    home.Write("Zene/.cover", "hidden");
    home.Write("Zene/Klipek/clip.mp4", "nested");
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Zene\"\nXDG_VIDEOS_DIR=\"$HOME/Zene/Klipek\"\n");
    testing::TempDir drive;
    std::uint64_t lastBytes = 0, total = 0;
    platform::RedirectHooks hooks;
    hooks.progress = [&](std::uint64_t done, std::uint64_t all, std::uint64_t, std::uint64_t) {
        lastBytes = done;
        total = all;
    };
    manager.SetRedirectHooks(hooks);
    std::string error;
    const std::string target = drive / "home/al/Zene";
    ASSERT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {FOLDERID_Videos}, error), kOk) << error;
    EXPECT_EQ(PathOf(FOLDERID_Music), target);
    EXPECT_EQ(ReadWholeFile(target + "/album/song.mp3"), std::string(5000, 's'));
    EXPECT_EQ(ReadWholeFile(target + "/.cover"), "hidden");
    EXPECT_FALSE(std::filesystem::exists(target + "/Klipek"));
    EXPECT_EQ(ReadWholeFile(home / "Zene/Klipek/clip.mp4"), "nested");
    EXPECT_FALSE(std::filesystem::exists(home / "Zene/album"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "Zene"));  // the old folder itself stays
    EXPECT_EQ(lastBytes, 5006u);
    EXPECT_EQ(total, 5006u);
    EXPECT_FALSE(std::filesystem::exists(home / ".local/state/trovel/move-MUSIC.journal"));
}

TEST_F(XdgRegistryTest, ANestedFolderThatIsALinkInsideTheFolderStaysWhereItIs) {
    // Videos is registered inside Music, as a link to a folder elsewhere.
    home.Write("Zene/song.mp3", "s");
    home.Write("Filmek/clip.mp4", "nested");
    home.Link("Zene/Klipek", home / "Filmek");
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Zene\"\nXDG_VIDEOS_DIR=\"$HOME/Zene/Klipek\"\n");
    testing::TempDir drive;
    std::string error;
    const std::string target = drive / "home/al/Zene";
    ASSERT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags, target, {FOLDERID_Videos}, error), kOk) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(home / "Zene/Klipek"));  // neither deleted
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(target + "/Klipek")));  // nor copied
    EXPECT_EQ(ReadWholeFile(home / "Filmek/clip.mp4"), "nested");
}

TEST_F(XdgRegistryTest, RedirectRefusesOtherFlagsAndFoldersItMayNotMove) {
    home.Write("Zene/a", "a");
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Zene\"\nXDG_VIDEOS_DIR=\"$HOME/\"\n");
    testing::TempDir drive;
    std::string error;
    EXPECT_EQ(manager.Redirect(FOLDERID_Music, kRedirectMoveFlags | 0x1, drive / "M", {}, error), kInvalidArg);
    EXPECT_FALSE(error.empty());
    EXPECT_NE(manager.Redirect(FOLDERID_Videos, kRedirectMoveFlags, drive / "V", {}, error), kOk);
    EXPECT_NE(error.find("nem helyezhető át"), std::string::npos) << error;
    EXPECT_EQ(ReadWholeFile(home / "Zene/a"), "a");
    EXPECT_FALSE(std::filesystem::exists(drive / "M"));
    EXPECT_FALSE(std::filesystem::exists(drive / "V"));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop

namespace trovel::platform::linux_desktop {
namespace {

// What xdg-user-dirs-update itself would register in a fresh home under `locale`.
std::map<std::string, std::string> TheirDefaults(const testing::TempDir& home, const std::string& locale) {
    const std::string preview = home / ("preview-" + locale);
    const std::string command = "env -u LANGUAGE HOME='" + home.path() + "' LC_ALL=" + locale + " XDG_CONFIG_HOME='" +
                                (home / "config") + "' xdg-user-dirs-update --force --dummy-output '" + preview + "'";
    if (std::system(command.c_str()) != 0) return {};
    return ParseUserDirs(ReadWholeFile(preview).value_or(""), home.path());
}

TEST(XdgDefaults, AreLocalizedAsXdgUserDirsLocalizesThem) {
    if (std::system("command -v xdg-user-dirs-update >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdg-user-dirs is not installed";
    if (std::system("locale -a 2>/dev/null | grep -qi '^hu_HU.utf-\\?8$'") != 0)
        GTEST_SKIP() << "hu_HU.UTF-8 is not generated on this machine";
    testing::TempDir home;
    for (const std::string locale : {"hu_HU.UTF-8", "C"}) {
        const auto theirs = TheirDefaults(home, locale);
        ASSERT_EQ(theirs.size(), 8u) << locale;
        Environment env;
        env.home = home.path();
        env.configHome = home / "config";
        env.configDirs = {"/etc/xdg"};
        env.messageLocale = locale;
        XdgKnownFolderManager manager(env, {});
        for (const FolderEntry& entry : FolderTable()) {
            if (entry.source != PathSource::UserDir) continue;
            EXPECT_EQ(manager.DefaultPath(entry), theirs.at(entry.where)) << locale << " " << entry.where;
        }
    }
}

TEST(XdgDefaults, FollowTheGivenLocaleNotWhatIsInstalled) {
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Music", "hu_HU.UTF-8"), "/home/al/Zenék");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Documents/Music", "hu"), "/home/al/Dokumentumok/Zenék");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Downloads", "hu_HU.UTF-8@euro"), "/home/al/Letöltések");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Music", "C"), "/home/al/Music");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Music", "en_GB.UTF-8"), "/home/al/Music");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Music", "xx_NOWHERE"), "/home/al/Music");
    // A name the catalogue does not know stays as it is; no default is the home itself.
    EXPECT_EQ(DefaultUserDirPath("/home/al", "Zenék/Régi", "hu"), "/home/al/Zenék/Régi");
    EXPECT_EQ(DefaultUserDirPath("/home/al", "", "hu"), "/home/al");
    const std::map<std::string, std::string> hungarian{
        {"Desktop", "Asztal"}, {"Downloads", "Letöltések"}, {"Templates", "Sablonok"}, {"Public", "Nyilvános"},
        {"Documents", "Dokumentumok"}, {"Music", "Zenék"}, {"Pictures", "Képek"}, {"Videos", "Videók"}};
    for (const auto& [english, name] : hungarian) EXPECT_EQ(UserDirElementName(english, "hu_HU.UTF-8"), name);
}

// Sets environment variables for one test and puts back what was there.
class ScopedVariables {
public:
    explicit ScopedVariables(std::map<std::string, std::optional<std::string>> values) {
        for (const auto& [name, value] : values) {
            const char* before = std::getenv(name.c_str());
            saved_[name] = before ? std::optional<std::string>(before) : std::nullopt;
            Set(name, value);
        }
    }
    ~ScopedVariables() {
        for (const auto& [name, value] : saved_) Set(name, value);
    }

private:
    static void Set(const std::string& name, const std::optional<std::string>& value) {
        if (value) ::setenv(name.c_str(), value->c_str(), 1);
        else ::unsetenv(name.c_str());
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(DesktopNames, AreWhatTheDesktopCallsEachFolderInTheLocalesLanguage) {
    LinuxSystem system;
    EXPECT_EQ(system.Naming(), FolderNaming::Desktop);
    EXPECT_EQ(system.FolderDisplayName(FOLDERID_Music, "hu_HU.UTF-8"), "Zene");
    EXPECT_EQ(system.FolderDisplayName(FOLDERID_Pictures, "hu"), "Képek");
    EXPECT_EQ(system.FolderDisplayName(FOLDERID_Downloads, "hu_HU.UTF-8"), "Letöltések");
    EXPECT_EQ(system.FolderDisplayName(FOLDERID_Music, "C"), "Music");
    EXPECT_EQ(system.FolderDisplayName(FOLDERID_Documents, "en_US.UTF-8"), "Documents");
    EXPECT_EQ(system.FolderDisplayName(Guid{}, "hu"), "");
    // Every folder has a name of its own in both languages, none of them a Windows name.
    for (const FolderEntry& entry : FolderTable()) {
        for (const char* locale : {"C", "hu_HU.UTF-8"}) {
            const std::string name = system.FolderDisplayName(entry.id, locale);
            EXPECT_FALSE(name.empty()) << entry.name;
            for (const char* windows : {"Personal", "My Music", "My Pictures", "My Video", "Local AppData", "Windows"})
                EXPECT_NE(name, windows) << entry.name;
        }
    }
}

TEST(XdgDefaults, TheProcessLocaleNamesTheDefaultPlaceThroughThePlatform) {
    testing::TempDir home;
    home.Write("etc-xdg/user-dirs.defaults", "MUSIC=Music\nPICTURES=Pictures\n");
    const auto defaultOfMusic = [&](std::map<std::string, std::optional<std::string>> locale) {
        locale["HOME"] = home.path();
        locale["XDG_CONFIG_HOME"] = home / "config";
        locale["XDG_CONFIG_DIRS"] = home / "etc-xdg";
        const ScopedVariables scope(locale);
        LinuxSystem system;
        std::unique_ptr<KnownFolderManager> manager;
        std::unique_ptr<KnownFolder> music;
        std::string path;
        if (system.CreateKnownFolderManager(manager) != kOk || manager->GetFolder(FOLDERID_Music, music) != kOk ||
            music->GetPath(kDefaultPathFlags, path) != kOk)
            return std::string("<none>");
        return path;
    };
    const std::optional<std::string> unset;
    EXPECT_EQ(defaultOfMusic({{"LANG", "hu_HU.UTF-8"}, {"LC_ALL", unset}, {"LC_MESSAGES", unset}, {"LANGUAGE", unset}}),
              home / "Zenék");
    EXPECT_EQ(defaultOfMusic({{"LANG", "C"}, {"LC_ALL", unset}, {"LC_MESSAGES", unset}, {"LANGUAGE", unset}}),
              home / "Music");
    // LC_ALL before LANG; LANGUAGE before both, but not in the C locale (gettext's rules).
    EXPECT_EQ(defaultOfMusic({{"LANG", "C"}, {"LC_ALL", "hu_HU.UTF-8"}, {"LC_MESSAGES", unset}, {"LANGUAGE", unset}}),
              home / "Zenék");
    EXPECT_EQ(defaultOfMusic({{"LANG", "en_US.UTF-8"}, {"LC_ALL", unset}, {"LC_MESSAGES", unset}, {"LANGUAGE", "hu:en"}}),
              home / "Zenék");
    EXPECT_EQ(defaultOfMusic({{"LANG", "C"}, {"LC_ALL", unset}, {"LC_MESSAGES", unset}, {"LANGUAGE", "hu"}}),
              home / "Music");
}

}  // namespace
}  // namespace trovel::platform::linux_desktop

namespace trovel::platform::linux_desktop {
namespace {

TEST_F(XdgRegistryTest, WithoutARegistryFileTheDefaultsStandAndSetPathMakesOne) {
    home.MakeDir("Dokumentumok");
    EXPECT_EQ(PathOf(FOLDERID_Documents), home / "Dokumentumok");
    home.MakeDir("Zene");
    ASSERT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "Zene"), kOk);
    EXPECT_EQ(Registry(), "XDG_MUSIC_DIR=\"$HOME/Zene\"\n");
}

TEST_F(XdgRegistryTest, SetPathWorksWhenLoginUpdatesAreSwitchedOff) {
    // enabled=False stops only the login-time update; registering still works, as --set does.
    home.Write(".config/user-dirs.conf", "enabled=False\n");
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    home.MakeDir("Zene");
    ASSERT_EQ(Folder(FOLDERID_Music)->SetPath(0, home / "Zene"), kOk);
    EXPECT_EQ(Registry(), "XDG_MUSIC_DIR=\"$HOME/Zene\"\n");
    EXPECT_EQ(ReadWholeFile(home / ".config/user-dirs.conf"), "enabled=False\n");
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
