// The shell's extra-large icon of a path, read back as pixels.
// windows.h first: the other SDK headers build on it.
#include <windows.h>

#include <commctrl.h>
#include <commoncontrols.h>
#include <shellapi.h>

#include "platform/windows/wide_text.h"
#include "platform/windows/windows_platform.h"

namespace trovel::platform::windows_shell {
namespace {

// IID_IImageList, spelled out: not every SDK's import libraries carry it.
const GUID kImageListId = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

constexpr UINT kIconQuery = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_DISPLAYNAME | SHGFI_ICON | SHGFI_SHELLICONSIZE;

// The icon's colour bitmap as 32-bit ARGB; where it carries no alpha, the mask decides.
ShellIcon Pixels(HICON icon) {
    ShellIcon out;
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return out;
    BITMAP colour{};
    if (info.hbmColor != nullptr && ::GetObjectW(info.hbmColor, sizeof colour, &colour) != 0) {
        const int width = colour.bmWidth;
        const int height = colour.bmHeight;
        BITMAPINFO header{};
        header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        header.bmiHeader.biWidth = width;
        header.bmiHeader.biHeight = -height;  // top row first
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        header.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        std::vector<std::uint32_t> mask(pixels.size());
        HDC screen = ::GetDC(nullptr);
        const bool read = ::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(height), pixels.data(), &header,
                                      DIB_RGB_COLORS) != 0;
        const bool masked = info.hbmMask != nullptr &&
                            ::GetDIBits(screen, info.hbmMask, 0, static_cast<UINT>(height), mask.data(), &header,
                                        DIB_RGB_COLORS) != 0;
        ::ReleaseDC(nullptr, screen);
        if (read) {
            bool hasAlpha = false;
            for (std::uint32_t pixel : pixels) hasAlpha = hasAlpha || (pixel >> 24) != 0;
            if (!hasAlpha)
                for (std::size_t i = 0; i < pixels.size(); ++i)
                    pixels[i] |= (masked && (mask[i] & 0xFFFFFF) != 0) ? 0u : 0xFF000000u;
            out.width = width;
            out.height = height;
            out.argb = std::move(pixels);
        }
    }
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) ::DeleteObject(info.hbmMask);
    return out;
}

}  // namespace

ShellIcon WindowsPlatform::ShellIconOf(const std::string& path) {
    SHFILEINFOW file{};
    if (::SHGetFileInfoW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL, &file, sizeof file, kIconQuery) == 0) return {};
    if (file.hIcon != nullptr) ::DestroyIcon(file.hIcon);  // only the index is used
    IImageList* list = nullptr;
    if (FAILED(::SHGetImageList(SHIL_EXTRALARGE, kImageListId, reinterpret_cast<void**>(&list))) || list == nullptr)
        return {};
    HICON icon = ::ImageList_GetIcon(reinterpret_cast<HIMAGELIST>(list), file.iIcon, ILD_NORMAL);
    list->Release();
    if (icon == nullptr) return {};
    ShellIcon out = Pixels(icon);
    ::DestroyIcon(icon);
    return out;
}

}  // namespace trovel::platform::windows_shell
