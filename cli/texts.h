#pragma once

#include <string>

namespace trovel::cli {

// The command line's messages: English by default, Hungarian (the wizard's language) under a
// Hungarian locale.
enum class Language { English, Hungarian };

// From LANGUAGE, LC_ALL, LC_MESSAGES and LANG, the first one set.
Language LanguageFromEnvironment();

// A message by its English text; the Hungarian one where there is a translation.
const char* Say(Language language, const char* english);

}  // namespace trovel::cli
