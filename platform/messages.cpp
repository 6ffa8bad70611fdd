#include "platform/messages.h"

#include <atomic>

namespace trovel::platform {
namespace {

std::atomic<const MessageCatalogue*> current{nullptr};

}  // namespace

void UseMessageCatalogue(const MessageCatalogue* catalogue) { current.store(catalogue); }

std::string LanguageCode(const std::string& locale) {
    std::string code = locale.substr(0, locale.find_first_of(":_-.@"));
    if (code.empty() || code == "C" || code == "POSIX") return "C";
    return code;
}

std::string MessagesLanguage() {
    const MessageCatalogue* catalogue = current.load();
    return catalogue == nullptr ? "C" : catalogue->Language();
}

bool SpeaksHungarian() { return MessagesLanguage().starts_with("hu"); }

const char* Tr(const char* english) {
    const MessageCatalogue* catalogue = current.load();
    // The empty text is the key of a catalogue's header: it stays empty.
    if (catalogue == nullptr || *english == '\0') return english;
    return catalogue->Translate(english);
}

const char* TrN(const char* singular, const char* plural, unsigned long count) {
    const MessageCatalogue* catalogue = current.load();
    if (catalogue == nullptr) return count == 1 ? singular : plural;
    return catalogue->Translate(singular, plural, count);
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            // A value is inserted as it is: a path holding "%1" is not expanded again.
            if (index < values.size()) {
                text += *(values.begin() + index);
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

}  // namespace trovel::platform
