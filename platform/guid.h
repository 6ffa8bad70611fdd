#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trovel::platform {

// A 16-byte identifier in the Windows GUID layout, so that known-folder ids
// keep their registered values on every backend.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    auto operator<=>(const Guid&) const = default;
    bool operator==(const Guid&) const = default;

    bool IsNull() const { return *this == Guid{}; }

    // Parses "{4DF0C730-DF9D-4AE3-9153-AA6B82E9795A}" (braces optional).
    static std::optional<Guid> Parse(std::string_view text);
    // Upper-case, with braces: the registry's spelling.
    std::string ToString() const;
};

// Only for identifiers written into the source; a malformed one is a programming error.
Guid GuidLiteral(std::string_view text);

}  // namespace trovel::platform
