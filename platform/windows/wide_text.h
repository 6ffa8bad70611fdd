#pragma once

#include <string>

namespace trovel::platform::windows_shell {

// The core's UTF-8 texts and the Windows API's UTF-16 ones.
std::wstring Wide(const std::string& text);
std::string Narrow(const wchar_t* text);
std::string Narrow(const std::wstring& text);

}  // namespace trovel::platform::windows_shell
