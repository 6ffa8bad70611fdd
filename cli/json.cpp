#include "cli/json.h"

#include <cstdio>

namespace trovel::cli {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`; 0 when there is none.
std::size_t SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) length = 3, low = 0xA0;
    else if (lead == 0xED) length = 3, high = 0x9F;  // no surrogates
    else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) length = 4, low = 0x90;
    else if (lead == 0xF4) length = 4, high = 0x8F;  // nothing past U+10FFFF
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else return 0;
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

}  // namespace

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = SequenceLength(text);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

std::string JsonText(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const std::size_t length = SequenceLength(text);
        if (length == 0) {
            out += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[0]);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out.append(text.substr(0, length));
                }
        }
        text.remove_prefix(length);
    }
    return out + "\"";
}

std::string HexBytes(std::string_view text) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

void JsonObject::Name(std::string_view name) {
    if (text_.size() > 1) text_ += ", ";
    text_ += JsonText(name) + ": ";
}

JsonObject& JsonObject::Text(std::string_view name, std::string_view value) {
    Name(name);
    text_ += JsonText(value);
    if (!IsUtf8(value)) {
        Name(std::string(name) + "_bytes");
        text_ += '"';
        text_ += HexBytes(value);
        text_ += '"';
    }
    return *this;
}

JsonObject& JsonObject::Number(std::string_view name, std::int64_t value) {
    Name(name);
    text_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Flag(std::string_view name, bool value) {
    Name(name);
    text_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Raw(std::string_view name, std::string_view json) {
    Name(name);
    text_ += json;
    return *this;
}

}  // namespace trovel::cli
