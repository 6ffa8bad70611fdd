#pragma once

#include <string>

namespace trovel::platform {

// Makes the program's texts speak the user's language: on Linux the one gettext programs speak
// (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG), English where there is no catalogue. Call once at
// the start, before any worker runs.
void SpeakTheUsersLanguage();

// The same in the locale given ("hu_HU.UTF-8", "C"; "" for the environment's), with the
// catalogues looked for first in `catalogueFolder` when one is given (a build tree's).
void SpeakLanguage(const std::string& locale, const std::string& catalogueFolder = {});

}  // namespace trovel::platform
