#include "platform/linux/known_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cerrno>

#include "platform/linux/user_dirs_file.h"

namespace trovel::platform::linux_desktop {
namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') {
            const std::string part = path.substr(0, at);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return IsDirectory(path);
}

class XdgKnownFolder : public KnownFolder {
public:
    XdgKnownFolder(XdgKnownFolderManager& manager, const FolderEntry& entry) : manager_(manager), entry_(entry) {}

    HResult GetFolderDefinition(KnownFolderDefinition& definition) override {
        definition = {};
        definition.category = entry_.category;
        definition.name = entry_.name;
        definition.tooltip = "@" + std::string(kStringModule) + ",-" + std::to_string(entry_.descriptionId);
        definition.icon = entry_.iconName;
        definition.folderType = entry_.folderType;
        if (entry_.source == PathSource::UserDir) definition.relativePath = entry_.where;
        return kOk;
    }
    HResult GetCategory(std::uint32_t& category) override {
        category = entry_.category;
        return kOk;
    }
    HResult GetRedirectionCapabilities(std::uint32_t& capabilities) override {
        capabilities = entry_.capability;
        return kOk;
    }
    HResult GetFolderType(Guid& folderType) override {
        folderType = entry_.folderType;
        return kOk;
    }
    HResult GetPath(std::uint32_t flags, std::string& path) override {
        path.clear();
        if (flags & KF_FLAG_DEFAULT_PATH) {
            std::string wanted = manager_.DefaultPath(entry_);
            if (wanted.empty()) return kFileNotFound;
            if ((flags & KF_FLAG_CREATE) && !MakeDirectories(wanted)) return kAccessDenied;
            path = wanted;
            return kOk;
        }
        std::string current = manager_.CurrentPath(entry_);
        // Without KF_FLAG_DONT_VERIFY the folder must exist.
        if (!(flags & KF_FLAG_DONT_VERIFY) && !IsDirectory(current)) return kFileNotFound;
        if (current.empty()) return kFileNotFound;
        path = current;
        return kOk;
    }
    HResult SetPath(std::uint32_t flags, const std::string& path) override {
        return manager_.Register(entry_, flags, path);
    }

private:
    XdgKnownFolderManager& manager_;
    const FolderEntry& entry_;
};

}  // namespace

XdgKnownFolderManager::XdgKnownFolderManager(Environment env, ElementTranslator translate)
    : env_(std::move(env)), translate_(std::move(translate)) {}

HResult XdgKnownFolderManager::GetFolderIds(std::vector<KnownFolderId>& ids) {
    ids.clear();
    for (const FolderEntry& entry : FolderTable()) ids.push_back(entry.id);
    return kOk;
}

HResult XdgKnownFolderManager::GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) {
    folder.reset();
    const auto& table = FolderTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const FolderEntry& e) { return e.id == id; });
    if (it == table.end()) return kFileNotFound;
    folder = std::make_unique<XdgKnownFolder>(*this, *it);
    return kOk;
}

HResult XdgKnownFolderManager::Redirect(const KnownFolderId&, std::uint32_t, const std::string&,
                                        const std::vector<KnownFolderId>&, std::string& errorText) {
    errorText = "A mappák tartalmának áthelyezése ezen a rendszeren még nem érhető el.";
    return kNotImplemented;
}

std::string XdgKnownFolderManager::DefaultPath(const FolderEntry& entry) const {
    if (entry.source != PathSource::UserDir) return CurrentPath(entry);
    const auto defaults = ReadUserDirsDefaults(env_);
    const auto it = defaults.find(entry.where);
    // xdg-user-dirs points a key it has no default for at the home folder.
    if (it == defaults.end() || it->second.empty()) return env_.home;
    return env_.home + "/" + TranslateRelativePath(it->second, translate_);
}

std::string XdgKnownFolderManager::CurrentPath(const FolderEntry& entry) const {
    switch (entry.source) {
        case PathSource::UserDir: {
            const auto text = ReadWholeFile(UserDirsFile());
            if (text) {
                const auto dirs = ParseUserDirs(*text, env_.home);
                if (const auto it = dirs.find(entry.where); it != dirs.end()) return it->second;
            }
            // A key the file does not set gets its default at the next login.
            return DefaultPath(entry);
        }
        case PathSource::Home: return env_.home;
        case PathSource::ConfigHome: return env_.configHome;
        case PathSource::DataHome: return env_.dataHome;
        case PathSource::CacheHome: return env_.cacheHome;
        case PathSource::UnderData: return env_.dataHome + "/" + entry.where;
        case PathSource::UnderConfig: return env_.configHome + "/" + entry.where;
        case PathSource::Absolute: return entry.where;
        case PathSource::None: return {};
    }
    return {};
}

HResult XdgKnownFolderManager::Register(const FolderEntry& entry, std::uint32_t flags, const std::string& path) {
    if (entry.source != PathSource::UserDir || entry.capability != KF_REDIRECTION_CAPABILITIES_REDIRECTABLE)
        return kAccessDenied;
    std::string wanted = path;
    while (wanted.size() > 1 && wanted.back() == '/') wanted.pop_back();
    if (!IsWritableUserDirPath(wanted)) return kInvalidArg;
    // xdg-user-dirs resets a key whose folder is missing to the home folder at the next login.
    if (!IsDirectory(wanted)) return kPathNotFound;
    const std::string value = UserDirValue(wanted, env_.home, (flags & KF_FLAG_DONT_UNEXPAND) != 0);
    // A registry kept behind a link (a dotfiles checkout, say) is rewritten where it lives.
    std::string file = UserDirsFile();
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(file.c_str(), resolved) == nullptr) return kAccessDenied;
        file = resolved;
    }
    std::string original;
    if (auto text = ReadWholeFile(file)) {
        original = std::move(*text);
    } else if (::lstat(file.c_str(), &info) == 0) {
        return kAccessDenied;  // there but unreadable: never replace what we could not keep
    }
    if (!ReplaceFileAtomically(file, RewriteUserDirs(original, entry.where, value))) return kAccessDenied;
    return kOk;
}

}  // namespace trovel::platform::linux_desktop
