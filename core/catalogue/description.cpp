#include "core/catalogue/description.h"

#include <cstdint>

#include "core/basics/text.h"

namespace trovel::catalogue {
namespace {

constexpr std::size_t kWorkBufferChars = 260;   // expanded module name, with its terminating null
constexpr std::size_t kStringBufferChars = 255;  // the string read, with its terminating null

// Some registrations misspell "shell32.dll" as "shell32,dll"; mend the first such comma.
void MendDllComma(std::u16string& text) {
    if (text.find(u",dll") == std::u16string::npos) return;
    const std::u16string upper = AsciiUpper(text);
    const auto at = upper.find(u",DLL");
    if (at != std::u16string::npos) text[at] = u'.';
}

bool ParseDecimal(std::u16string_view digits, std::uint32_t& value) {
    if (digits.empty() || digits.size() > 9) return false;
    value = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    return true;
}

}  // namespace

std::string ResolveDescription(platform::Platform& platform, const std::string& tooltip) {
    std::u16string text = Utf8ToUtf16(tooltip);
    if (text.size() <= 10) return {};
    MendDllComma(text);
    const auto split = text.find(u",-");
    if (split == std::u16string::npos || split < 1) return {};
    std::uint32_t id = 0;
    if (!ParseDecimal(std::u16string_view(text).substr(split + 2), id)) return {};
    // The first character, the at-sign of a resource reference, is dropped.
    const std::string module = Utf16ToUtf8(std::u16string_view(text).substr(1, split - 1));

    std::string expanded;
    if (!platform.ExpandEnvironment(module, expanded)) return {};
    if (Utf8ToUtf16(expanded).size() >= kWorkBufferChars) return {};

    std::string resource;
    if (!platform.LoadStringResource(expanded, id, resource)) return {};
    std::u16string wide = Utf8ToUtf16(resource);
    if (wide.size() >= kStringBufferChars) wide.resize(kStringBufferChars - 1);
    return Utf16ToUtf8(wide);
}

}  // namespace trovel::catalogue
