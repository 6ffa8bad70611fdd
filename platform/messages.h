#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace trovel::platform {

// Texts for people are written in English where they are made and looked up, when shown, in the
// catalogue of the language the program speaks. A text the catalogue lacks stays English.
class MessageCatalogue {
public:
    virtual ~MessageCatalogue() = default;
    // The language's code ("hu", "en"); "C" for the program's own English.
    virtual std::string Language() const = 0;
    // Both return a text that lives as long as the program.
    virtual const char* Translate(const char* english) const = 0;
    virtual const char* Translate(const char* singular, const char* plural, unsigned long count) const = 0;
};

// The program's catalogue, set once at the start before any worker runs (and by tests between
// cases). Null: English.
void UseMessageCatalogue(const MessageCatalogue* catalogue);

// A locale's language: "hu_HU.UTF-8@euro", "hu-HU" and "hu:en" → "hu"; "C", "POSIX" and "" → "C".
std::string LanguageCode(const std::string& locale);

// The language the texts are in ("C" without a catalogue).
std::string MessagesLanguage();
bool SpeaksHungarian();

// The lookups; the extraction tool finds texts by these two names.
const char* Tr(const char* english);
const char* TrN(const char* singular, const char* plural, unsigned long count);

// Marks a text in a table for the catalogue; it is looked up with Tr where it is shown.
constexpr const char* TrLater(const char* english) { return english; }

// Puts the values in place of %1 … %9; a translation may order them as its language needs.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace trovel::platform
