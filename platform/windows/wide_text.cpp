#include "platform/windows/wide_text.h"

#include <windows.h>

namespace trovel::platform::windows_shell {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(length > 0 ? length - 1 : 0));  // drop the terminating null
    return narrow;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.c_str()); }

}  // namespace trovel::platform::windows_shell
