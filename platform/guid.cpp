#include "platform/guid.h"

#include <cstdio>
#include <stdexcept>

namespace trovel::platform {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`, advancing it.
bool ReadHex(std::string_view text, std::size_t& pos, int digits, std::uint64_t& out) {
    if (pos + static_cast<std::size_t>(digits) > text.size()) return false;
    out = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = HexValue(text[pos++]);
        if (v < 0) return false;
        out = (out << 4) | static_cast<std::uint64_t>(v);
    }
    return true;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<Guid> Guid::Parse(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    Guid g;
    std::size_t pos = 0;
    std::uint64_t v = 0;
    if (!ReadHex(text, pos, 8, v)) return std::nullopt;
    g.data1 = static_cast<std::uint32_t>(v);
    if (!Expect(text, pos, '-') || !ReadHex(text, pos, 4, v)) return std::nullopt;
    g.data2 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, '-') || !ReadHex(text, pos, 4, v)) return std::nullopt;
    g.data3 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, '-')) return std::nullopt;
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, pos, '-')) return std::nullopt;
        if (!ReadHex(text, pos, 2, v)) return std::nullopt;
        g.data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string Guid::ToString() const {
    char buffer[39];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                  static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                  data4[5], data4[6], data4[7]);
    return buffer;
}

Guid GuidLiteral(std::string_view text) {
    auto parsed = Guid::Parse(text);
    if (!parsed) throw std::invalid_argument("malformed GUID literal");
    return *parsed;
}

}  // namespace trovel::platform
