#include "platform/windows/com_known_folders.h"

// windows.h first: the other SDK headers build on it.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "platform/windows/wide_text.h"

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

// COM on the calling thread, for as long as the thread lives.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    // RPC_E_CHANGED_MODE: the thread already has COM in another mode, which serves as well.
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(Interface* raw) : raw_(raw) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
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

private:
    Interface* raw_ = nullptr;
};

// The calling thread's manager, created on first use.
IKnownFolderManager* ThreadManager(HResult& result) {
    thread_local ComApartment apartment;
    thread_local ComRef<IKnownFolderManager> manager;
    result = kOk;
    if (manager.get() != nullptr) return manager.get();
    if (!apartment.usable()) {
        result = kFail;
        return nullptr;
    }
    result = ::CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER, IID_IKnownFolderManager,
                                reinterpret_cast<void**>(manager.out()));
    return manager.get();
}

std::string TakeCoTaskText(wchar_t* text) {
    std::string narrow = Narrow(text);
    if (text != nullptr) ::CoTaskMemFree(text);
    return narrow;
}

// One known folder, looked up again on whichever thread uses it.
class ComKnownFolder : public KnownFolder {
public:
    explicit ComKnownFolder(const Guid& id) : id_(id) {}

    HResult GetFolderDefinition(KnownFolderDefinition& definition) override {
        definition = {};
        KNOWNFOLDER_DEFINITION raw;
        std::memset(&raw, 0, sizeof raw);
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        hr = folder->GetFolderDefinition(&raw);
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
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        KF_CATEGORY value = KF_CATEGORY(0);
        hr = folder->GetCategory(&value);
        category = static_cast<std::uint32_t>(value);
        return hr;
    }
    HResult GetRedirectionCapabilities(std::uint32_t& capabilities) override {
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        KF_REDIRECTION_CAPABILITIES value = 0;
        hr = folder->GetRedirectionCapabilities(&value);
        capabilities = static_cast<std::uint32_t>(value);
        return hr;
    }
    HResult GetFolderType(Guid& folderType) override {
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        GUID value = GUID_NULL;
        hr = folder->GetFolderType(&value);
        folderType = FromGuid(value);
        return hr;
    }
    HResult GetPath(std::uint32_t flags, std::string& path) override {
        path.clear();
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        wchar_t* text = nullptr;
        hr = folder->GetPath(static_cast<DWORD>(flags), &text);
        path = TakeCoTaskText(text);
        if (hr != kOk) path.clear();
        return hr;
    }
    HResult SetPath(std::uint32_t flags, const std::string& path) override {
        HResult hr = kOk;
        IKnownFolder* folder = Folder(hr);
        if (folder == nullptr) return hr;
        return folder->SetPath(static_cast<DWORD>(flags), Wide(path).c_str());
    }

private:
    IKnownFolder* Folder(HResult& hr) {
        const DWORD thread = ::GetCurrentThreadId();
        if (folder_.get() != nullptr && thread_ == thread) return folder_.get();
        folder_.reset();
        IKnownFolderManager* manager = ThreadManager(hr);
        if (manager == nullptr) return nullptr;
        const GUID id = ToGuid(id_);
        hr = manager->GetFolder(id, folder_.out());
        thread_ = thread;
        return hr == kOk ? folder_.get() : nullptr;
    }

    Guid id_;
    ComRef<IKnownFolder> folder_;
    DWORD thread_ = 0;
};

class ComManager : public KnownFolderManager {
public:
    HResult GetFolderIds(std::vector<KnownFolderId>& ids) override {
        ids.clear();
        HResult hr = kOk;
        IKnownFolderManager* manager = ThreadManager(hr);
        if (manager == nullptr) return hr;
        KNOWNFOLDERID* raw = nullptr;
        UINT count = 0;
        hr = manager->GetFolderIds(&raw, &count);
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
        HResult hr = kOk;
        IKnownFolderManager* manager = ThreadManager(hr);
        if (manager == nullptr) return hr;
        std::vector<GUID> excluded;
        for (const KnownFolderId& exclusion : exclusions) excluded.push_back(ToGuid(exclusion));
        wchar_t* error = nullptr;
        hr = manager->Redirect(ToGuid(id), nullptr, static_cast<KF_REDIRECT_FLAGS>(flags), Wide(target).c_str(),
                               static_cast<UINT>(excluded.size()), excluded.empty() ? nullptr : excluded.data(),
                               &error);
        errorText = TakeCoTaskText(error);
        return hr;
    }
};

}  // namespace

HResult CreateComKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) {
    manager.reset();
    HResult hr = kOk;
    if (ThreadManager(hr) == nullptr) return hr == kOk ? kFail : hr;
    manager = std::make_unique<ComManager>();
    return kOk;
}

}  // namespace trovel::platform::windows_shell
