#include "platform/environment_text.h"

namespace trovel::platform {

std::string ExpandPercentVariables(const std::string& text,
                                   const std::function<bool(const std::string& name, std::string& value)>& lookup) {
    std::string expanded;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find('%', pos);
        const auto close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            expanded += text.substr(pos);
            break;
        }
        expanded += text.substr(pos, open - pos);
        std::string value;
        const std::string name = text.substr(open + 1, close - open - 1);
        expanded += !name.empty() && lookup(name, value) ? value : text.substr(open, close - open + 1);
        pos = close + 1;
    }
    return expanded;
}

}  // namespace trovel::platform
