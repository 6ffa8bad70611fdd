#pragma once

#include <cstdlib>

#include "platform/system/user_language.h"

namespace trovel::testing_support {

// The tests were written against the program's Hungarian texts, so they speak Hungarian unless a
// test asks otherwise; the catalogues come from the build tree.
// (A LANGUAGE the developer's desktop set would outrank the locale asked for, so it goes.)
inline void SpeakForTests(const char* locale = "hu_HU.UTF-8") {
    ::unsetenv("LANGUAGE");
    platform::SpeakLanguage(locale, TROVEL_BUILD_LOCALE_DIR);
}

}  // namespace trovel::testing_support
