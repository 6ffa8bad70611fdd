#include "platform/platform.h"

#include <clocale>

namespace trovel::platform {

std::string NumericLocaleDecimalSeparator() {
    const std::lconv* conv = std::localeconv();
    if (conv == nullptr || conv->decimal_point == nullptr || *conv->decimal_point == '\0') return ".";
    return conv->decimal_point;
}

void NumericLocaleGrouping(std::string& separator, std::string& grouping) {
    const std::lconv* conv = std::localeconv();
    separator = conv != nullptr && conv->thousands_sep != nullptr ? conv->thousands_sep : "";
    grouping = conv != nullptr && conv->grouping != nullptr ? conv->grouping : "";
}

std::string Platform::DecimalSeparator() { return NumericLocaleDecimalSeparator(); }

}  // namespace trovel::platform
