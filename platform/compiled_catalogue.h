#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace trovel::platform {

// A catalogue msgfmt compiled (a .mo file) held in memory, for a system whose C library has no
// gettext: the Windows programs carry theirs inside. Bytes that are not a well-formed catalogue
// give an empty one, so every text stays English.
class CompiledCatalogue : public MessageCatalogue {
public:
    CompiledCatalogue(std::string language, const unsigned char* bytes, std::size_t size);

    bool empty() const { return originals_.empty(); }
    std::string Language() const override { return language_; }
    const char* Translate(const char* english) const override;
    // Two forms, as English and Hungarian have: the first for one, the second for any other count.
    const char* Translate(const char* singular, const char* plural, unsigned long count) const override;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // Each entry's original and translation, by their offset and length in `bytes_`.
    struct Span {
        std::uint32_t length = 0;
        std::uint32_t offset = 0;
    };
    // The entry of `original` with a translation, kNone when there is none.
    std::size_t Find(const char* original) const;
    const char* Text(const Span& span) const { return reinterpret_cast<const char*>(bytes_ + span.offset); }

    std::string language_;
    const unsigned char* bytes_;
    std::size_t size_;
    std::vector<Span> originals_, translations_;  // sorted by original, as msgfmt writes them
};

}  // namespace trovel::platform
