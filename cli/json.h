#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace trovel::cli {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF). Paths and names from the file system need not be.
bool IsUtf8(std::string_view text);

// A JSON string literal that is always valid UTF-8: quotes, backslashes and control
// characters escaped, each byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string JsonText(std::string_view text);

// The bytes of `text` in lower-case hexadecimal, two digits a byte: the lossless form of a
// string that is not UTF-8.
std::string HexBytes(std::string_view text);

// One JSON object, its members in the order they are added: {"a": 1, "b": "x"}.
class JsonObject {
public:
    // A string member; when `value` is not UTF-8, `<name>_bytes` follows with its bytes in hex.
    JsonObject& Text(std::string_view name, std::string_view value);
    JsonObject& Number(std::string_view name, std::int64_t value);
    JsonObject& Flag(std::string_view name, bool value);
    // A member whose value is JSON already (an array, an object).
    JsonObject& Raw(std::string_view name, std::string_view json);
    std::string str() const { return text_ + "}"; }

private:
    void Name(std::string_view name);
    std::string text_ = "{";
};

// Writes the elements of a JSON array one per line, and closes it: "[\n  a,\n  b\n]".
class JsonLines {
public:
    explicit JsonLines(std::string open = "[", std::string close = "]") : open_(std::move(open)), close_(std::move(close)) {}
    void Add(const std::string& element) {
        text_ += (count_++ ? ",\n  " : "\n  ") + element;
    }
    std::string str() const { return open_ + text_ + (count_ ? "\n" : "") + close_; }
    bool empty() const { return count_ == 0; }

private:
    std::string open_, close_, text_;
    std::size_t count_ = 0;
};

// A JSON array of strings on one line: ["a", "b"].
template <typename Strings>
std::string JsonTextArray(const Strings& strings) {
    std::string out = "[";
    bool first = true;
    for (const auto& text : strings) {
        out += (first ? "" : ", ") + JsonText(text);
        first = false;
    }
    return out + "]";
}

}  // namespace trovel::cli
