#include "platform/compiled_catalogue.h"

#include <cstring>

namespace trovel::platform {
namespace {

constexpr std::uint32_t kMagic = 0x950412deu;
constexpr std::uint32_t kSwappedMagic = 0xde120495u;

}  // namespace

CompiledCatalogue::CompiledCatalogue(std::string language, const unsigned char* bytes, std::size_t size)
    : language_(std::move(language)), bytes_(bytes), size_(size) {
    if (bytes == nullptr || size < 28) return;
    const auto word = [&](std::size_t at, bool swapped) -> std::uint32_t {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint32_t byte = bytes[at + static_cast<std::size_t>(swapped ? 3 - i : i)];
            value |= byte << (8 * i);
        }
        return value;
    };
    const std::uint32_t magic = word(0, false);
    if (magic != kMagic && magic != kSwappedMagic) return;
    const bool swapped = magic == kSwappedMagic;
    if (word(4, swapped) >> 16 > 1) return;  // a major revision this reader does not know
    const std::uint64_t count = word(8, swapped), originals = word(12, swapped), translations = word(16, swapped);
    if (originals + count * 8 > size || translations + count * 8 > size) return;
    std::vector<Span> read[2];
    for (int table = 0; table < 2; ++table) {
        const std::uint64_t start = table == 0 ? originals : translations;
        for (std::uint64_t i = 0; i < count; ++i) {
            const Span text{word(static_cast<std::size_t>(start + i * 8), swapped),
                            word(static_cast<std::size_t>(start + i * 8 + 4), swapped)};
            // Each string lies inside the bytes and ends with its NUL.
            if (std::uint64_t{text.offset} + text.length >= size || bytes[text.offset + text.length] != 0) return;
            read[table].push_back(text);
        }
    }
    for (std::size_t i = 1; i < read[0].size(); ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(bytes + read[0][i - 1].offset),
                        reinterpret_cast<const char*>(bytes + read[0][i].offset)) >= 0)
            return;
    }
    originals_ = std::move(read[0]);
    translations_ = std::move(read[1]);
}

std::size_t CompiledCatalogue::Find(const char* original) const {
    // msgfmt sorts by the original's bytes; a plural entry's original is "singular\0plural", and
    // strcmp stops at its NUL, so it is found by its singular.
    std::size_t low = 0, high = originals_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = std::strcmp(original, Text(originals_[middle]));
        if (order == 0) return translations_[middle].length == 0 ? kNone : middle;
        if (order < 0) high = middle;
        else low = middle + 1;
    }
    return kNone;
}

const char* CompiledCatalogue::Translate(const char* english) const {
    const std::size_t found = *english == '\0' ? kNone : Find(english);
    return found == kNone ? english : Text(translations_[found]);
}

const char* CompiledCatalogue::Translate(const char* singular, const char* plural, unsigned long count) const {
    const std::size_t found = Find(singular);
    if (found == kNone) return count == 1 ? singular : plural;
    const char* forms = Text(translations_[found]);
    if (count == 1) return forms;
    // The second form follows the first's NUL, when the entry has one.
    const std::size_t first = std::strlen(forms);
    return first < translations_[found].length ? forms + first + 1 : forms;
}

}  // namespace trovel::platform
