#include "platform/windows/windows_platform.h"

// windows.h first: the other SDK headers build on it.
#include <windows.h>

#include <shellapi.h>
#include <winioctl.h>

#include "platform/windows/com_known_folders.h"
#include "platform/windows/wide_text.h"

namespace trovel::platform::windows_shell {
namespace {

constexpr DWORD kWorkBuffer = 260;

std::int64_t SizeOf(const WIN32_FIND_DATAW& data) {
    return static_cast<std::int64_t>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// One listing by FindFirstFileExW (basic information, large fetch): a directory's entries, one at a time.
class FindListing {
public:
    explicit FindListing(const std::wstring& folderWithSeparator) {
        const std::wstring pattern = folderWithSeparator + L"*";
        find_ = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &next_, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
        pending_ = find_ != INVALID_HANDLE_VALUE;
    }
    ~FindListing() {
        if (find_ != INVALID_HANDLE_VALUE) ::FindClose(find_);
    }
    FindListing(const FindListing&) = delete;
    FindListing& operator=(const FindListing&) = delete;

    bool valid() const { return find_ != INVALID_HANDLE_VALUE; }

    // The next entry, valid until the next call; null after the last one.
    const WIN32_FIND_DATAW* Next() {
        if (!pending_) return nullptr;
        current_ = next_;
        pending_ = ::FindNextFileW(find_, &next_) != FALSE;
        return &current_;
    }

private:
    HANDLE find_ = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW next_{};
    WIN32_FIND_DATAW current_{};
    bool pending_ = false;
};

// A directory handed to the size walk, entry by entry.
class FindDirectory : public DirectoryHandle {
public:
    explicit FindDirectory(std::wstring path) : path_(std::move(path)), listing_(path_) {}

    bool valid() const { return listing_.valid(); }

    bool Next(TreeEntry& entry) override {
        const WIN32_FIND_DATAW* data = listing_.Next();
        if (data == nullptr) return false;
        name_ = Narrow(data->cFileName);
        entry.name = name_;
        const bool folder = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A junction or a directory link (Documents\My Music, say) is not followed, as the
        // shell's own size does not follow it; a cloud placeholder folder is a real folder.
        const bool link = (data->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                          IsReparseTagNameSurrogate(data->dwReserved0);
        entry.directory = folder && !link;
        entry.size = folder ? 0 : SizeOf(*data);
        return true;
    }
    std::unique_ptr<DirectoryHandle> OpenChild(std::string_view name) override {
        auto child = std::make_unique<FindDirectory>(path_ + Wide(std::string(name)) + L"\\");
        if (!child->valid()) return nullptr;
        return child;
    }

private:
    std::wstring path_;
    FindListing listing_;
    std::string name_;
};

std::wstring WithSeparator(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.empty() || wide.back() != L'\\') wide += L'\\';
    return wide;
}

}  // namespace

HResult WindowsPlatform::CreateKnownFolderManager(std::unique_ptr<KnownFolderManager>& manager) {
    return CreateComKnownFolderManager(manager, *this);
}

bool WindowsPlatform::ExpandEnvironment(const std::string& text, std::string& expanded) {
    expanded.clear();
    wchar_t buffer[kWorkBuffer];
    const DWORD length = ::ExpandEnvironmentStringsW(Wide(text).c_str(), buffer, kWorkBuffer);
    if (length == 0 || length > kWorkBuffer) return false;
    expanded = Narrow(buffer);
    return true;
}

std::unique_ptr<ThreadScope> WindowsPlatform::EnterWorkerThread() { return EnterComWorkerScope(); }

std::string WindowsPlatform::DecimalSeparator() {
    // The user's number format, with any change made in the control panel; the C runtime's
    // locale stays "C" unless asked, and the toolkit does not ask on Windows.
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) return ".";
    return Narrow(separator);
}

bool WindowsPlatform::LoadStringResource(const std::string& module, std::uint32_t id, std::string& text) {
    text.clear();
    // A bare module name is looked up in the system folder only: the program may run elevated,
    // and a module of that name planted beside it or in the working folder must not be read.
    std::wstring path = Wide(module);
    if (path.find_first_of(L"\\/:") == std::wstring::npos) {
        wchar_t system[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return false;
        path = std::wstring(system) + L"\\" + path;
    }
    // Mapped as resources only: none of the module's code runs.
    HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (library == nullptr) return false;
    wchar_t buffer[255];
    const int length = ::LoadStringW(library, id, buffer, 255);
    ::FreeLibrary(library);
    if (length <= 0) return false;
    text = Narrow(buffer);
    return true;
}

bool WindowsPlatform::ShellOpen(const std::string& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::uint32_t WindowsPlatform::FileAttributes(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str());
}

bool WindowsPlatform::ListDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    FindListing listing(WithSeparator(directory));
    if (!listing.valid()) return false;
    while (const WIN32_FIND_DATAW* data = listing.Next()) {
        const std::int64_t modified = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(data->ftLastWriteTime.dwHighDateTime) << 32) | data->ftLastWriteTime.dwLowDateTime);
        // The reparse attribute is reported for links (junctions such as Documents\My Music,
        // directory links) only: a cloud placeholder folder is a real folder to the callers.
        std::uint32_t attributes = data->dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !IsReparseTagNameSurrogate(data->dwReserved0))
            attributes &= ~static_cast<std::uint32_t>(FILE_ATTRIBUTE_REPARSE_POINT);
        entries.push_back({Narrow(data->cFileName), attributes, SizeOf(*data), modified});
    }
    return true;
}

bool WindowsPlatform::EntrySize(const std::string& path, std::int64_t& size) {
    size = 0;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW(Wide(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    size = SizeOf(data);
    return true;
}

std::unique_ptr<DirectoryHandle> WindowsPlatform::OpenDirectory(const std::string& path) {
    auto directory = std::make_unique<FindDirectory>(WithSeparator(path));
    if (!directory->valid()) return nullptr;
    return directory;
}

int WindowsPlatform::ParallelReadsFor(const std::string& path) {
    constexpr int kUnknown = 2, kSpinning = 1, kSolid = 8;
    // The volume holding the path, opened for queries only (no access asked for).
    wchar_t mountPoint[MAX_PATH + 1] = {};
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(Wide(path).c_str(), mountPoint, MAX_PATH + 1) ||
        !::GetVolumeNameForVolumeMountPointW(mountPoint, volume, MAX_PATH + 1))
        return kUnknown;
    std::wstring device = volume;  // "\\?\Volume{...}\": the device is without the last separator
    if (!device.empty() && device.back() == L'\\') device.pop_back();
    const HANDLE handle = ::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                        nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kUnknown;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    // Fails for a volume across several disks, and on network and RAM drives.
    const BOOL answered = ::DeviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                                            sizeof penalty, &returned, nullptr);
    ::CloseHandle(handle);
    if (!answered || returned < sizeof penalty) return kUnknown;
    return penalty.IncursSeekPenalty ? kSpinning : kSolid;
}

std::vector<std::string> WindowsPlatform::LogicalDriveStrings() {
    std::vector<std::string> roots;
    wchar_t buffer[128];
    const DWORD length = ::GetLogicalDriveStringsW(128, buffer);
    // A run of "X:\" entries, each ended by a null; anything else is not trusted.
    if (length == 0 || length > 128 || length % 4 != 0) return roots;
    for (DWORD at = 0; at < length; at += 4) roots.push_back(Narrow(buffer + at));
    return roots;
}

DriveType WindowsPlatform::DriveTypeOf(const std::string& root) {
    return static_cast<DriveType>(::GetDriveTypeW(Wide(root).c_str()));
}

bool WindowsPlatform::VolumeLabel(const std::string& root, std::string& label) {
    label.clear();
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(Wide(root).c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return false;
    label = Narrow(name);
    return true;
}

bool WindowsPlatform::DiskFreeSpace(const std::string& root, VolumeSpace& space) {
    space = {};
    ULARGE_INTEGER freeForUser{}, total{}, totalFree{};
    if (!::GetDiskFreeSpaceExW(Wide(root).c_str(), &freeForUser, &total, &totalFree)) return false;
    space.freeForUser = static_cast<std::int64_t>(freeForUser.QuadPart);
    space.total = static_cast<std::int64_t>(total.QuadPart);
    space.totalFree = static_cast<std::int64_t>(totalFree.QuadPart);
    return true;
}

std::string WindowsPlatform::LastErrorText() {
    const DWORD code = ::GetLastError();
    wchar_t buffer[256] = {};
    if (::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, 256,
                         nullptr) == 0)
        return {};
    return Narrow(buffer);
}

int WindowsPlatform::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
    return ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), style);
}

bool WindowsPlatform::SignOut(std::uint32_t flags, std::uint32_t reason) {
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace trovel::platform::windows_shell
