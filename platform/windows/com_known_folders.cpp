#include "platform/windows/com_known_folders.h"

// windows.h first: the other SDK headers build on it.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "platform/known_folder_ids.h"
#include "platform/messages.h"
#include "platform/windows/wide_text.h"
#include "mover/content_mover.h"
#include "mover/target_preflight.h"

namespace trovel::platform::windows_shell {
namespace {

GUID ToGuid(const Guid& id) {
    GUID g;
    g.Data1 = id.data1;
    g.Data2 = id.data2;
    g.Data3 = id.data3;
    std::memcpy(g.Data4, id.data4.data(), 8);
    return g;
}

Guid FromGuid(const GUID& g) {
    Guid id;
    id.data1 = g.Data1;
    id.data2 = g.Data2;
    id.data3 = g.Data3;
    std::memcpy(id.data4.data(), g.Data4, 8);
    return id;
}

template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(Interface* raw) : raw_(raw) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : raw_(other.raw_) { other.raw_ = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            raw_ = other.raw_;
            other.raw_ = nullptr;
        }
        return *this;
    }
    void reset() {
        if (raw_ != nullptr) raw_->Release();
        raw_ = nullptr;
    }
    Interface** out() {
        reset();
        return &raw_;
    }
    Interface* operator->() const { return raw_; }
    Interface* get() const { return raw_; }
    // Another reference to the same object.
    ComRef Share() const {
        if (raw_ != nullptr) raw_->AddRef();
        return ComRef(raw_);
    }

private:
    Interface* raw_ = nullptr;
};

class ComWorkerScope;
// The scope of the calling thread, if it entered one.
thread_local ComWorkerScope* currentScope = nullptr;

class ComWorkerScope : public ThreadScope {
public:
    ComWorkerScope() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)), outer_(currentScope) {
        currentScope = this;
    }
    ~ComWorkerScope() override {
        manager_.reset();  // released in the apartment it was made in, before COM goes
        currentScope = outer_;
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComWorkerScope(const ComWorkerScope&) = delete;
    ComWorkerScope& operator=(const ComWorkerScope&) = delete;

    // RPC_E_CHANGED_MODE: the thread already has COM in another mode, which serves as well.
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    ComRef<IKnownFolderManager>& manager() { return manager_; }

private:
    HRESULT result_;
    ComWorkerScope* outer_;
    ComRef<IKnownFolderManager> manager_;
};

// A manager of the calling thread: its scope's, made once, or one made for this call.
// A thread with no scope and no COM gets COM for the call's length.
class ThreadManager {
public:
    ThreadManager() {
        if (currentScope != nullptr) {
            if (!currentScope->usable()) {
                result_ = kFail;
                return;
            }
            if (currentScope->manager().get() == nullptr) result_ = Create(currentScope->manager());
            manager_ = currentScope->manager().Share();
            return;
        }
        result_ = Create(manager_);
        if (result_ == CO_E_NOTINITIALIZED) {
            fallback_ = std::make_unique<ComWorkerScope>();
            result_ = Create(manager_);
        }
    }
    ~ThreadManager() { manager_.reset(); }  // before a fallback scope ends COM
    ThreadManager(const ThreadManager&) = delete;
    ThreadManager& operator=(const ThreadManager&) = delete;

    IKnownFolderManager* get() const { return manager_.get(); }
    HResult result() const { return result_ == kOk && manager_.get() == nullptr ? kFail : result_; }

private:
    static HResult Create(ComRef<IKnownFolderManager>& into) {
        return ::CoCreateInstance(::CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER, ::IID_IKnownFolderManager,
                                  reinterpret_cast<void**>(into.out()));
    }

    std::unique_ptr<ComWorkerScope> fallback_;
    ComRef<IKnownFolderManager> manager_;
    HResult result_ = kOk;
};

// One folder object, looked up on the calling thread for one call and released there.
class ThreadFolder {
public:
    explicit ThreadFolder(const Guid& id) {
        result_ = manager_.result();
        if (manager_.get() == nullptr) return;
        result_ = manager_.get()->GetFolder(ToGuid(id), folder_.out());
    }
    ~ThreadFolder() { folder_.reset(); }
    ThreadFolder(const ThreadFolder&) = delete;
    ThreadFolder& operator=(const ThreadFolder&) = delete;

    IKnownFolder* get() const { return result_ == kOk ? folder_.get() : nullptr; }
    HResult result() const { return result_ == kOk && folder_.get() == nullptr ? kFail : result_; }

private:
    ThreadManager manager_;  // outlives the folder: declared first, destroyed last
    ComRef<IKnownFolder> folder_;
    HResult result_ = kOk;
};

std::string TakeCoTaskText(wchar_t* text) {
    std::string narrow = Narrow(text);
    if (text != nullptr) ::CoTaskMemFree(text);
    return narrow;
}

// One run per folder: an exclusive lock on %LOCALAPPDATA%\trovel\KEY.lock, taken without
// waiting and held while the object lives (closing the file releases it, as does the end of
// the process), so the window and the command line never relocate one folder at once.
class FolderRunLock {
public:
    enum class Status { Held, Busy, Failed };

    explicit FolderRunLock(const std::string& key) {
        wchar_t* base = nullptr;
        const GUID localAppData = ToGuid(platform::FOLDERID_LocalAppData);
        if (FAILED(::SHGetKnownFolderPath(localAppData, 0, nullptr, &base))) return;
        const std::wstring folder = std::wstring(base) + L"\\trovel";
        ::CoTaskMemFree(base);
        if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
        path_ = folder + L"\\" + Wide(key) + L".lock";
        // A link put in the file's place is opened itself, never followed.
        file_ = ::CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) return;
        OVERLAPPED whole{};
        if (::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
            status_ = Status::Held;
        else if (::GetLastError() == ERROR_LOCK_VIOLATION)
            status_ = Status::Busy;
    }
    ~FolderRunLock() {
        if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    }
    FolderRunLock(const FolderRunLock&) = delete;
    FolderRunLock& operator=(const FolderRunLock&) = delete;

    Status status() const { return status_; }
    std::string path() const { return Narrow(path_); }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    Status status_ = Status::Failed;
    std::wstring path_;
};

// One known folder, looked up again by every call, on the calling thread.
class ComKnownFolder : public KnownFolder {
public:
    explicit ComKnownFolder(const Guid& id) : id_(id) {}

    HResult GetFolderDefinition(KnownFolderDefinition& definition) override {
        definition = {};
        KNOWNFOLDER_DEFINITION raw;
        std::memset(&raw, 0, sizeof raw);
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        const HResult hr = folder->GetFolderDefinition(&raw);
        if (hr != kOk) return hr;
        definition.category = static_cast<std::uint32_t>(raw.category);
        definition.name = Narrow(raw.pszName);
        definition.description = Narrow(raw.pszDescription);
        definition.parent = FromGuid(raw.fidParent);
        definition.relativePath = Narrow(raw.pszRelativePath);
        definition.parsingName = Narrow(raw.pszParsingName);
        definition.tooltip = Narrow(raw.pszTooltip);
        definition.localizedName = Narrow(raw.pszLocalizedName);
        definition.icon = Narrow(raw.pszIcon);
        definition.security = Narrow(raw.pszSecurity);
        definition.attributes = raw.dwAttributes;
        definition.definitionFlags = static_cast<std::uint32_t>(raw.kfdFlags);
        definition.folderType = FromGuid(raw.ftidType);
        ::FreeKnownFolderDefinitionFields(&raw);
        return kOk;
    }
    HResult GetCategory(std::uint32_t& category) override {
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        KF_CATEGORY value = KF_CATEGORY(0);
        const HResult hr = folder->GetCategory(&value);
        category = static_cast<std::uint32_t>(value);
        return hr;
    }
    HResult GetRedirectionCapabilities(std::uint32_t& capabilities) override {
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        KF_REDIRECTION_CAPABILITIES value = 0;
        const HResult hr = folder->GetRedirectionCapabilities(&value);
        capabilities = static_cast<std::uint32_t>(value);
        return hr;
    }
    HResult GetFolderType(Guid& folderType) override {
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        GUID value = GUID_NULL;
        const HResult hr = folder->GetFolderType(&value);
        folderType = FromGuid(value);
        return hr;
    }
    HResult GetPath(std::uint32_t flags, std::string& path) override {
        path.clear();
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        wchar_t* text = nullptr;
        const HResult hr = folder->GetPath(static_cast<DWORD>(flags), &text);
        path = TakeCoTaskText(text);
        if (hr != kOk) path.clear();
        return hr;
    }
    HResult SetPath(std::uint32_t flags, const std::string& path) override {
        const ThreadFolder lookup(id_);
        IKnownFolder* folder = lookup.get();
        if (folder == nullptr) return lookup.result();
        return folder->SetPath(static_cast<DWORD>(flags), Wide(path).c_str());
    }

private:
    Guid id_;
};

class ComManager : public KnownFolderManager {
public:
    explicit ComManager(Platform& platform) : platform_(platform) {}

    HResult GetFolderIds(std::vector<KnownFolderId>& ids) override {
        ids.clear();
        const ThreadManager lookup;
        IKnownFolderManager* manager = lookup.get();
        if (manager == nullptr) return lookup.result();
        KNOWNFOLDERID* raw = nullptr;
        UINT count = 0;
        const HResult hr = manager->GetFolderIds(&raw, &count);
        if (hr == kOk && raw != nullptr)
            for (UINT i = 0; i < count; ++i) ids.push_back(FromGuid(raw[i]));
        if (raw != nullptr) ::CoTaskMemFree(raw);
        return hr;
    }
    HResult GetFolder(const KnownFolderId& id, std::unique_ptr<KnownFolder>& folder) override {
        folder.reset();
        auto made = std::make_unique<ComKnownFolder>(id);
        // Looked up now, so that an id the manager does not know fails here.
        std::uint32_t category = 0;
        const HResult hr = made->GetCategory(category);
        if (hr != kOk) return hr;
        folder = std::move(made);
        return kOk;
    }
    HResult Redirect(const KnownFolderId& id, std::uint32_t flags, const std::string& target,
                     const std::vector<KnownFolderId>& exclusions, std::string& errorText) override {
        errorText.clear();
        const ThreadManager lookup;
        IKnownFolderManager* manager = lookup.get();
        if (manager == nullptr) return lookup.result();
        // The checks that need no file system run here too: never into itself, never the profile.
        std::vector<std::string> kept;
        for (const Guid& keptId : {platform::FOLDERID_Profile, platform::FOLDERID_RoamingAppData,
                                    platform::FOLDERID_LocalAppData, platform::FOLDERID_InternetCache}) {
            std::string path;
            if (ComKnownFolder(keptId).GetPath(0, path) == kOk && !path.empty()) kept.push_back(path);
        }
        std::string source;
        ComKnownFolder(id).GetPath(0, source);
        // Held from the checks to the end of the shell's move.
        const FolderRunLock lock(id.ToString());
        if (lock.status() == FolderRunLock::Status::Busy) {
            errorText = platform::Tr("This folder is already being relocated: ") + source;
            return kBusy;
        }
        if (lock.status() != FolderRunLock::Status::Held) {
            errorText = platform::Tr("Cannot create the lock file: ") + lock.path();
            return kAccessDenied;
        }
        if (std::string problem = relocation::CheckMovePaths('\\', source, target, kept); !problem.empty()) {
            errorText = problem;
            return kAccessDenied;
        }
        // The shell would merge into what stands at the target: nothing there is overwritten,
        // and the content must fit, before it is asked.
        if (flags & KF_REDIRECT_COPY_CONTENTS) {
            std::vector<std::string> nested;
            for (const KnownFolderId& exclusion : exclusions) {
                std::string path;
                if (ComKnownFolder(exclusion).GetPath(0, path) == kOk && !path.empty()) nested.push_back(path);
            }
            if (std::string problem = relocation::CheckContentTarget(platform_, source, target, nested);
                !problem.empty()) {
                errorText = problem;
                return kAccessDenied;
            }
        }
        // With nothing to leave out, the documented call still passes a list: the null id, count 0.
        std::vector<GUID> excluded;
        for (const KnownFolderId& exclusion : exclusions) excluded.push_back(ToGuid(exclusion));
        const UINT count = static_cast<UINT>(excluded.size());
        if (excluded.empty()) excluded.push_back(GUID_NULL);
        wchar_t* error = nullptr;
        const HResult hr = manager->Redirect(ToGuid(id), nullptr, static_cast<KF_REDIRECT_FLAGS>(flags),
                                             Wide(target).c_str(), count, excluded.data(), &error);
        errorText = TakeCoTaskText(error);
        return hr;
    }

private:
    Platform& platform_;
};

}  // namespace

HResult CreateComKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager, Platform& platform) {
    manager.reset();
    const ThreadManager lookup;
    if (lookup.get() == nullptr) return lookup.result();
    manager = std::make_unique<ComManager>(platform);
    return kOk;
}

std::unique_ptr<ThreadScope> EnterComWorkerScope() { return std::make_unique<ComWorkerScope>(); }

}  // namespace trovel::platform::windows_shell
