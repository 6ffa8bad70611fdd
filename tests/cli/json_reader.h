#pragma once

// A strict JSON reader for the tests: RFC 8259 only (no trailing commas, no leading zeros,
// no raw control characters, UTF-8 only, surrogate pairs matched), one value and nothing after.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trovel::cli::testing {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool flag = false;
    std::string text;  // a string's value (UTF-8), or a number as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue& operator[](std::size_t i) const { return items.at(i); }
    const JsonValue* Find(const std::string& name) const {
        for (const auto& [key, value] : members)
            if (key == name) return &value;
        return nullptr;
    }
    const JsonValue& operator[](const std::string& name) const {
        static const JsonValue missing;
        const JsonValue* found = Find(name);
        return found ? *found : missing;
    }
};

class JsonReader {
public:
    // The value, or nothing with `error` saying where the text stops being JSON.
    static std::optional<JsonValue> Parse(std::string_view text, std::string& error) {
        JsonReader reader(text);
        JsonValue value;
        if (!reader.Value(value, 0)) {
            error = reader.error_ + " at " + std::to_string(reader.at_);
            return std::nullopt;
        }
        reader.Space();
        if (reader.at_ != text.size()) {
            error = "text after the value at " + std::to_string(reader.at_);
            return std::nullopt;
        }
        return value;
    }

private:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool Fail(const char* why) {
        error_ = why;
        return false;
    }
    void Space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return Fail("bad literal");
        at_ += word.size();
        return true;
    }
    bool Value(JsonValue& value, int depth) {
        if (depth > 64) return Fail("too deep");
        Space();
        if (at_ >= text_.size()) return Fail("value expected");
        const char c = text_[at_];
        if (c == '{') return Object(value, depth);
        if (c == '[') return Array(value, depth);
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return String(value.text);
        }
        if (c == 't' || c == 'f') {
            value.kind = JsonValue::Kind::Bool;
            value.flag = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') return Literal("null");
        value.kind = JsonValue::Kind::Number;
        return Number(value.text);
    }
    bool Number(std::string& out) {
        const std::size_t start = at_;
        const auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            return at_ - from;
        };
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        if (at_ < text_.size() && text_[at_] == '0') ++at_;
        else if (digits() == 0) return Fail("number expected");
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (digits() == 0) return Fail("fraction expected");
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (digits() == 0) return Fail("exponent expected");
        }
        out = std::string(text_.substr(start, at_ - start));
        return true;
    }
    bool Hex4(std::uint32_t& unit) {
        if (at_ + 4 > text_.size()) return Fail("short \\u escape");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            unit <<= 4;
            if (c >= '0' && c <= '9') unit |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') unit |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') unit |= static_cast<std::uint32_t>(c - 'A' + 10);
            else return Fail("bad \\u escape");
        }
        return true;
    }
    static void Append(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    // One raw UTF-8 sequence, checked as strictly as the writer's.
    bool Utf8(std::string& out) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text_[at_ + i]); };
        const unsigned char lead = byte(0);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead == 0xE0) length = 3, low = 0xA0;
        else if (lead == 0xED) length = 3, high = 0x9F;
        else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
        else if (lead == 0xF0) length = 4, low = 0x90;
        else if (lead == 0xF4) length = 4, high = 0x8F;
        else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
        else return Fail("not UTF-8");
        if (at_ + length > text_.size() || byte(1) < low || byte(1) > high) return Fail("not UTF-8");
        for (std::size_t i = 2; i < length; ++i)
            if (byte(i) < 0x80 || byte(i) > 0xBF) return Fail("not UTF-8");
        out.append(text_.substr(at_, length));
        at_ += length;
        return true;
    }
    bool String(std::string& out) {
        ++at_;  // the opening quote
        out.clear();
        while (true) {
            if (at_ >= text_.size()) return Fail("unterminated string");
            const auto c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) return Fail("raw control character in a string");
            if (c >= 0x80) {
                if (!Utf8(out)) return false;
                continue;
            }
            ++at_;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (at_ >= text_.size()) return Fail("unterminated escape");
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    std::uint32_t unit = 0;
                    if (!Hex4(unit)) return false;
                    if (unit >= 0xDC00 && unit <= 0xDFFF) return Fail("lone low surrogate");
                    if (unit >= 0xD800 && unit <= 0xDBFF) {
                        std::uint32_t low = 0;
                        if (text_.substr(at_, 2) != "\\u") return Fail("lone high surrogate");
                        at_ += 2;
                        if (!Hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return Fail("lone high surrogate");
                        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    }
                    Append(out, unit);
                    break;
                }
                default: return Fail("bad escape");
            }
        }
    }
    bool Array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++at_;
        Space();
        if (at_ < text_.size() && text_[at_] == ']') {
            ++at_;
            return true;
        }
        while (true) {
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            Space();
            if (at_ >= text_.size()) return Fail("unterminated array");
            if (text_[at_] == ']') {
                ++at_;
                return true;
            }
            if (text_[at_++] != ',') return Fail("comma expected");
        }
    }
    bool Object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++at_;
        Space();
        if (at_ < text_.size() && text_[at_] == '}') {
            ++at_;
            return true;
        }
        while (true) {
            Space();
            if (at_ >= text_.size() || text_[at_] != '"') return Fail("member name expected");
            std::string name;
            if (!String(name)) return false;
            if (value.Find(name)) return Fail("member named twice");
            Space();
            if (at_ >= text_.size() || text_[at_++] != ':') return Fail("colon expected");
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.members.emplace_back(std::move(name), std::move(member));
            Space();
            if (at_ >= text_.size()) return Fail("unterminated object");
            if (text_[at_] == '}') {
                ++at_;
                return true;
            }
            if (text_[at_++] != ',') return Fail("comma expected");
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace trovel::cli::testing
