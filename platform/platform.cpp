#include "platform/platform.h"

#include <clocale>

namespace trovel::platform {

std::string NumericLocaleDecimalSeparator() {
    const std::lconv* conv = std::localeconv();
    if (conv == nullptr || conv->decimal_point == nullptr || *conv->decimal_point == '\0') return ".";
    return conv->decimal_point;
}

std::string Platform::DecimalSeparator() { return NumericLocaleDecimalSeparator(); }

}  // namespace trovel::platform
