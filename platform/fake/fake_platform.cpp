#include "platform/fake/fake_platform.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include <algorithm>

#include "platform/environment_text.h"

namespace trovel::platform::fake {
namespace {

class FakeKnownFolder : public KnownFolder {
public:
    FakeKnownFolder(FakePlatform& platform, KnownFolderId id) : platform_(platform), id_(id) {}

    HResult GetFolderDefinition(KnownFolderDefinition& definition) override {
        Record("GetFolderDefinition");
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        if (!Succeeded(folder->definitionResult)) return folder->definitionResult;
        definition = folder->definition;
        return kOk;
    }
    HResult GetCategory(std::uint32_t& category) override {
        Record("GetCategory");
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        category = folder->category;
        return kOk;
    }
    HResult GetRedirectionCapabilities(std::uint32_t& capabilities) override {
        Record("GetRedirectionCapabilities");
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        capabilities = folder->capability;
        return kOk;
    }
    HResult GetFolderType(Guid& folderType) override {
        Record("GetFolderType");
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        folderType = folder->folderType;
        return kOk;
    }
    HResult GetPath(std::uint32_t flags, std::string& path) override {
        Record("GetPath", flags);
        path.clear();
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        const std::string& source = (flags & KF_FLAG_DEFAULT_PATH) ? folder->defaultPath : folder->path;
        if (source.empty()) return kFileNotFound;
        path = source;
        return kOk;
    }
    HResult SetPath(std::uint32_t flags, const std::string& path) override {
        Record("SetPath", flags, path);
        FakeFolder* folder = platform_.Find(id_);
        if (folder == nullptr) return kFileNotFound;
        if (Succeeded(folder->setPathResult)) folder->path = path;
        return folder->setPathResult;
    }

private:
    void Record(const std::string& operation, std::uint32_t flags = 0, const std::string& text = {}) {
        platform_.calls.push_back({operation, id_, flags, text, {}});
    }

    FakePlatform& platform_;
    KnownFolderId id_;
};

class FakeManager : public KnownFolderManager {
public:
    explicit FakeManager(FakePlatform& platform) : platform_(platform) {}

    HResult GetFolderIds(std::vector<KnownFolderId>& ids) override {
        platform_.calls.push_back({"GetFolderIds", {}, 0, {}, {}});
        ids.clear();
        if (!Succeeded(platform_.getFolderIdsResult)) return platform_.getFolderIdsResult;
        for (const FakeFolder& folder : platform_.folders) ids.push_back(folder.id);
        return kOk;
    }
    HResult GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) override {
        platform_.calls.push_back({"GetFolder", id, 0, {}, {}});
        folder.reset();
        FakeFolder* found = platform_.Find(id);
        if (found == nullptr) return kFileNotFound;
        if (!Succeeded(found->getFolderResult)) return found->getFolderResult;
        folder = std::make_unique<FakeKnownFolder>(platform_, id);
        return kOk;
    }
    HResult Redirect(const KnownFolderId& id, std::uint32_t flags, const std::string& target,
                     const std::vector<KnownFolderId>& exclusions, std::string& errorText) override {
        platform_.calls.push_back({"Redirect", id, flags, target, exclusions});
        platform_.redirectHooks.push_back(hooks_);
        errorText.clear();
        FakeFolder* found = platform_.Find(id);
        if (found == nullptr) return kFileNotFound;
        if (found->redirectThrows) throw std::runtime_error("the shell raised an error");
        const auto phase = [this, found](const char* name) {
            if (!found->redirectReportsProgress || !hooks_.phase) return;
            if (platform_.onRedirectPhase) platform_.onRedirectPhase(name);
            if (std::string_view(name) != "end") hooks_.phase(name);
        };
        phase("copy");
        if (found->redirectReportsProgress && hooks_.progress) hooks_.progress(512, 1024, 1, 2);
        if (found->redirectWaitsForCancel) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!(hooks_.cancelled && hooks_.cancelled()) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (hooks_.cancelled && hooks_.cancelled()) return kCancelled;
        if (Succeeded(found->redirectResult) && (flags & KF_REDIRECT_CHECK_ONLY) == 0) {
            phase("verify");
            if (flags & KF_REDIRECT_DEL_SOURCE_CONTENTS) phase("delete");
            phase("end");
        }
        errorText = found->redirectErrorText;
        if (Succeeded(found->redirectResult) && (flags & KF_REDIRECT_CHECK_ONLY) == 0) found->path = target;
        return found->redirectResult;
    }
    void SetRedirectHooks(RedirectHooks hooks) override { hooks_ = std::move(hooks); }
    std::vector<KnownFolderId> InterruptedRedirects() override { return platform_.interrupted; }
    std::vector<RelocationRecord> RelocationHistory() override { return platform_.history; }
    using KnownFolderManager::RecoverRedirect;
    HResult RecoverRedirect(const KnownFolderId& id, RecoveryOutcome& outcome, std::string& report) override {
        platform_.calls.push_back({"RecoverRedirect", id, 0, {}, {}});
        auto& interrupted = platform_.interrupted;
        const auto found = std::find(interrupted.begin(), interrupted.end(), id);
        if (found == interrupted.end()) {
            outcome = RecoveryOutcome::Nothing;
            report = "Nincs megszakadt áthelyezés, nincs teendő.";
            return kOk;
        }
        outcome = platform_.recoverOutcome;
        report = platform_.recoverReport;
        if (Succeeded(platform_.recoverResult)) interrupted.erase(found);
        return platform_.recoverResult;
    }

private:
    FakePlatform& platform_;
    RedirectHooks hooks_;
};

}  // namespace

FakeFolder* FakePlatform::Find(const KnownFolderId& id) {
    auto it = std::find_if(folders.begin(), folders.end(),
                           [&](const FakeFolder& folder) { return folder.id == id; });
    return it == folders.end() ? nullptr : &*it;
}

FakeFolder& FakePlatform::AddFolder(const std::string& name, const std::string& path,
                                    const std::string& defaultPath) {
    FakeFolder folder;
    // Distinct, stable ids: the running number in the last bytes.
    folder.id.data1 = 0xFA4E0000u;
    const auto n = static_cast<std::uint32_t>(folders.size() + 1);
    folder.id.data4[4] = static_cast<std::uint8_t>(n >> 24);
    folder.id.data4[5] = static_cast<std::uint8_t>(n >> 16);
    folder.id.data4[6] = static_cast<std::uint8_t>(n >> 8);
    folder.id.data4[7] = static_cast<std::uint8_t>(n);
    folder.definition.name = name;
    folder.definition.category = KF_CATEGORY_PERUSER;
    folder.path = path;
    folder.defaultPath = defaultPath.empty() ? path : defaultPath;
    folders.push_back(folder);
    return folders.back();
}

std::vector<Call> FakePlatform::CallsOf(const std::string& operation) const {
    std::vector<Call> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                 [&](const Call& call) { return call.operation == operation; });
    return out;
}

HResult FakePlatform::CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) {
    calls.push_back({"CreateKnownFolderManager", {}, 0, {}, {}});
    manager.reset();
    if (!Succeeded(createManagerResult)) return createManagerResult;
    manager = std::make_unique<FakeManager>(*this);
    return kOk;
}

bool FakePlatform::ExpandEnvironment(const std::string& text, std::string& expanded) {
    expanded = ExpandPercentVariables(text, [this](const std::string& name, std::string& value) {
        const auto it = environment.find(name);
        if (it == environment.end()) return false;
        value = it->second;
        return true;
    });
    return true;
}

bool FakePlatform::LoadStringResource(const std::string& module, std::uint32_t id, std::string& text) {
    calls.push_back({"LoadStringResource", {}, id, module, {}});
    text.clear();
    const auto it = strings.find({module, id});
    if (it == strings.end()) return false;
    text = it->second;
    return true;
}

ShellIcon FakePlatform::ShellIconOf(const std::string& path) {
    calls.push_back({"ShellIconOf", {}, 0, path, {}});
    ShellIcon icon;
    icon.width = 48;
    icon.height = 48;
    icon.argb.assign(48 * 48, path.empty() ? 0xFF808080u : 0xFFE8B84Au);
    return icon;
}

bool FakePlatform::ShellOpen(const std::string& target) {
    calls.push_back({"ShellOpen", {}, 0, target, {}});
    return true;
}

std::uint32_t FakePlatform::FileAttributes(const std::string& path) {
    const auto it = files.find(path);
    return it == files.end() ? kInvalidAttributes : it->second.attributes;
}

bool FakePlatform::ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    const char separator = PathSeparator(style);
    std::string prefix = directory;
    if (prefix.empty() || prefix.back() != separator) prefix += separator;
    const auto dir = files.find(prefix.substr(0, prefix.size() - 1));
    if (dir == files.end() || !(dir->second.attributes & kAttributeDirectory) || !dir->second.listable) return false;
    for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix); ++it) {
        const std::string rest = it->first.substr(prefix.size());
        if (rest.empty() || rest.find(separator) != std::string::npos) continue;
        entries.push_back({rest, it->second.attributes, it->second.size, it->second.modified});
    }
    return true;
}

bool FakePlatform::EntrySize(const std::string& path, std::int64_t& size) {
    const auto it = files.find(path);
    size = it == files.end() ? 0 : it->second.size;
    return it != files.end();
}

namespace {

// A directory of the fake file table, listed when opened.
class FakeDirectory : public DirectoryHandle {
public:
    FakeDirectory(FakePlatform& platform, std::string path, std::vector<DirectoryEntry> entries)
        : platform_(platform), path_(std::move(path)), entries_(std::move(entries)) {
        const int open = ++platform_.openHandles;
        int most = platform_.mostOpenHandles.load();
        while (open > most && !platform_.mostOpenHandles.compare_exchange_weak(most, open)) {}
    }
    ~FakeDirectory() override { --platform_.openHandles; }
    FakeDirectory(const FakeDirectory&) = delete;
    FakeDirectory& operator=(const FakeDirectory&) = delete;

    bool Next(TreeEntry& entry) override {
        if (next_ >= entries_.size()) return false;
        const DirectoryEntry& found = entries_[next_++];
        entry.name = found.name;
        // A junction (a directory with a reparse point) is an entry, not a folder to walk, as
        // in the Windows backend; the fake knows no reparse tags, so every one is a junction.
        entry.directory = (found.attributes & kAttributeDirectory) != 0 && (found.attributes & kAttributeReparsePoint) == 0;
        entry.size = (found.attributes & kAttributeDirectory) != 0 ? 0 : found.size;
        return true;
    }
    std::unique_ptr<DirectoryHandle> OpenChild(std::string_view name) override {
        outOfHandles_ = platform_.handleLimit > 0 && platform_.openHandles.load() >= platform_.handleLimit;
        if (outOfHandles_) return nullptr;
        return platform_.OpenDirectory(path_ + std::string(name) + PathSeparator(platform_.style));
    }
    bool LastOpenRanOutOfHandles() const override { return outOfHandles_; }

private:
    FakePlatform& platform_;
    std::string path_;
    std::vector<DirectoryEntry> entries_;
    std::size_t next_ = 0;
    bool outOfHandles_ = false;
};

}  // namespace

std::unique_ptr<DirectoryHandle> FakePlatform::OpenDirectory(const std::string& path) {
    if (onOpenDirectory) onOpenDirectory(path);
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(path, entries)) return nullptr;
    const char separator = PathSeparator(style);
    std::string withSeparator = path;
    if (withSeparator.empty() || withSeparator.back() != separator) withSeparator += separator;
    return std::make_unique<FakeDirectory>(*this, withSeparator, std::move(entries));
}

std::vector<std::string> FakePlatform::MountPointsBelow(const std::string& folder) {
    std::vector<std::string> below;
    for (const std::string& point : mountPoints)
        if (point.size() > folder.size() && point.starts_with(folder)) below.push_back(point);
    return below;
}

TargetRefusal FakePlatform::TargetRefusalOf(const std::string& root) {
    const auto it = refusals.find(root);
    return it == refusals.end() ? TargetRefusal::None : it->second;
}

bool FakePlatform::DriveIdentityOf(const std::string& root, std::uint64_t& device, std::uint64_t& mountId) {
    const auto found = driveIdentities.find(root);
    device = found == driveIdentities.end() ? 0 : found->second.first;
    mountId = found == driveIdentities.end() ? 0 : found->second.second;
    return found != driveIdentities.end();
}

bool FakePlatform::CanCreateFolder(const std::string& path) {
    return std::find(uncreatable.begin(), uncreatable.end(), path) == uncreatable.end();
}

bool FakePlatform::UserAccountOf(const std::string& nameOrId, UserAccount& account) {
    if (!nameOrId.empty() && nameOrId != currentUser.name) return false;
    account = currentUser;
    return true;
}

Approval FakePlatform::AskAdministratorToPrepare(const std::string& driveRoot, const std::string& folder,
                                                 std::string& text) {
    approvalsAsked.emplace_back(driveRoot, folder);
    text = approvalText;
    if (approval == Approval::Given) uncreatable.erase(std::remove(uncreatable.begin(), uncreatable.end(), folder), uncreatable.end());
    return approval;
}

std::vector<std::string> FakePlatform::LogicalDriveStrings() {
    std::vector<std::string> roots;
    for (const FakeVolume& volume : volumes) roots.push_back(volume.root);
    return roots;
}

const FakeVolume* FakePlatform::FindVolume(const std::string& root) const {
    auto it = std::find_if(volumes.begin(), volumes.end(),
                           [&](const FakeVolume& volume) { return volume.root == root; });
    return it == volumes.end() ? nullptr : &*it;
}

DriveType FakePlatform::DriveTypeOf(const std::string& root) {
    const FakeVolume* volume = FindVolume(root);
    return volume == nullptr ? DriveType::NoRootDir : volume->type;
}

bool FakePlatform::VolumeLabel(const std::string& root, std::string& label) {
    label.clear();
    const FakeVolume* volume = FindVolume(root);
    if (volume == nullptr || !volume->labelReadable) return false;
    label = volume->label;
    return true;
}

bool FakePlatform::DiskFreeSpace(const std::string& root, VolumeSpace& space) {
    space = {};
    const FakeVolume* volume = FindVolume(root);
    if (volume == nullptr || !volume->spaceReadable) return false;
    space = volume->space;
    return true;
}

std::string FakePlatform::LastErrorText() { return lastErrorText; }

int FakePlatform::ShowMessageBox(const std::string& text, const std::string& caption,
                                 std::uint32_t messageStyle) {
    calls.push_back({"ShowMessageBox", {}, messageStyle, caption + "\n" + text, {}});
    messageBoxThread = std::this_thread::get_id();
    return messageBoxAnswer;
}

bool FakePlatform::Notify(const std::string& title, const std::string& body) {
    calls.push_back({"Notify", {}, 0, title + "\n" + body, {}});
    return true;
}

bool FakePlatform::SignOut(std::uint32_t flags, std::uint32_t reason) {
    calls.push_back({"SignOut", {}, flags, std::to_string(reason), {}});
    return signOutResult;
}

}  // namespace trovel::platform::fake
