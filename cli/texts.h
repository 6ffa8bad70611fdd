#pragma once

#include "platform/messages.h"

namespace trovel::cli {

// The language the command line speaks: its messages come from the catalogue (platform::Tr);
// this says how it writes numbers, sizes and folder names.
enum class Language { English, Hungarian };

using platform::Fill;
using platform::Tr;
using platform::TrLater;
using platform::TrN;

}  // namespace trovel::cli
