// The record of relocations as JSON lines: written by the backends, read back by the
// command line and the window. A line that is not exactly what this program writes is dropped.
#include "platform/relocation_record.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <variant>

namespace trovel::platform {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;  // paths are bytes: written as they are, read back the same
        }
    }
    return out + "\"";
}

std::string List(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + Quoted(items[i]);
    return out + "]";
}

using Value = std::variant<std::string, std::uint64_t, bool, std::vector<std::string>>;

// A reader for the flat objects FormatRecord writes, and nothing more.
class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Object(std::map<std::string, Value>& members) {
        Space();
        if (!Take('{')) return false;
        Space();
        if (Take('}')) return End();
        do {
            std::string name;
            Value value;
            Space();
            if (!String(name)) return false;
            Space();
            if (!Take(':') || !Member(value) || !members.emplace(name, std::move(value)).second) return false;
            Space();
        } while (Take(','));
        return Take('}') && End();
    }

private:
    bool Member(Value& value) {
        Space();
        if (at_ < text_.size() && text_[at_] == '"') {
            std::string text;
            if (!String(text)) return false;
            value = std::move(text);
            return true;
        }
        if (Word("true")) return value = true, true;
        if (Word("false")) return value = false, true;
        if (Take('[')) {
            std::vector<std::string> items;
            Space();
            if (!Take(']')) {
                do {
                    std::string item;
                    Space();
                    if (!String(item)) return false;
                    items.push_back(std::move(item));
                    Space();
                } while (Take(','));
                if (!Take(']')) return false;
            }
            value = std::move(items);
            return true;
        }
        std::uint64_t number = 0;
        const std::size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
            const auto digit = static_cast<std::uint64_t>(text_[at_++] - '0');
            if (number > (UINT64_MAX - digit) / 10) return false;
            number = number * 10 + digit;
        }
        if (at_ == start) return false;
        value = number;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char escaped = text_[at_++];
            if (escaped == '"' || escaped == '\\' || escaped == '/') out += escaped;
            else if (escaped == 'n') out += '\n';
            else if (escaped == 't') out += '\t';
            else if (escaped == 'r') out += '\r';
            else if (escaped == 'u' && at_ + 4 <= text_.size() && text_.compare(at_, 2, "00") == 0) {
                unsigned code = 0;
                if (std::sscanf(text_.substr(at_, 4).c_str(), "%4x", &code) != 1 || code >= 0x20) return false;
                out += static_cast<char>(code);
                at_ += 4;
            } else {
                return false;
            }
        }
        return false;
    }
    bool Word(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }
    bool Take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void Space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }
    bool End() {
        Space();
        return at_ == text_.size();
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

bool Absolute(const std::string& path) {
    if (path.empty()) return false;
    if (path[0] == '/') return true;
    // A Windows path: a drive letter and a separator, or a UNC path.
    return (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
            (path[2] == '\\' || path[2] == '/')) ||
           path.rfind("\\\\", 0) == 0;
}

bool WellFormedTime(const std::string& time) {
    // YYYY-MM-DDTHH:MM:SSZ
    static const char kShape[] = "dddd-dd-ddTdd:dd:ddZ";
    if (time.size() != sizeof kShape - 1) return false;
    for (std::size_t i = 0; i < time.size(); ++i)
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(time[i])) : time[i] != kShape[i]) return false;
    return true;
}

}  // namespace

std::string FormatRecord(const RelocationRecord& record) {
    return "{\"time\":" + Quoted(record.time) + ",\"key\":" + Quoted(record.key) + ",\"name\":" + Quoted(record.name) +
           ",\"operation\":" + Quoted(record.operation) + ",\"from\":" + Quoted(record.from) +
           ",\"to\":" + Quoted(record.to) + ",\"content\":" + (record.content ? "true" : "false") +
           ",\"files\":" + std::to_string(record.files) + ",\"bytes\":" + std::to_string(record.bytes) +
           ",\"outcome\":" + Quoted(record.outcome) + ",\"code\":" + Quoted(record.code) +
           ",\"left\":" + List(record.left) + ",\"drive\":" + Quoted(record.drive) + ",\"made\":" + List(record.made) +
           "}";
}

std::optional<RelocationRecord> ParseRecord(const std::string& line) {
    std::map<std::string, Value> members;
    if (!Reader(line).Object(members) || members.size() != 14) return std::nullopt;
    RelocationRecord record;
    bool whole = true;
    // Each member must be there and of its member's type.
    const auto take = [&]<typename T>(const char* name, T& out) {
        const auto found = members.find(name);
        const auto* value = found == members.end() ? nullptr : std::get_if<T>(&found->second);
        if (value == nullptr) whole = false;
        else out = *value;
    };
    take("time", record.time);
    take("key", record.key);
    take("name", record.name);
    take("operation", record.operation);
    take("from", record.from);
    take("to", record.to);
    take("content", record.content);
    take("files", record.files);
    take("bytes", record.bytes);
    take("outcome", record.outcome);
    take("code", record.code);
    take("left", record.left);
    take("drive", record.drive);
    take("made", record.made);
    if (!whole || !WellFormedTime(record.time) || record.key.empty()) return std::nullopt;
    if (record.operation != "move" && record.operation != "restore") return std::nullopt;
    if (record.outcome != "done" && record.outcome != "refused" && record.outcome != "failed" &&
        record.outcome != "cancelled")
        return std::nullopt;
    if (!Absolute(record.from) || !Absolute(record.to) || (!record.drive.empty() && !Absolute(record.drive)))
        return std::nullopt;
    for (const auto* paths : {&record.left, &record.made})
        for (const std::string& path : *paths)
            if (!Absolute(path)) return std::nullopt;
    return record;
}

std::string UtcTimestamp(std::int64_t seconds) {
    // Days to a civil date (proleptic Gregorian), without the C library's time zone state.
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest % 3600 / 60), static_cast<long long>(rest % 60));
    return text;
}

const RelocationRecord* LastDone(const std::vector<RelocationRecord>& records, const std::string& key,
                                 const std::string& name) {
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (it->Done() && (key.empty() ? it->name == name : it->key == key)) return &*it;
    return nullptr;
}

}  // namespace trovel::platform
