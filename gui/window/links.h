#pragma once

namespace trovel::app {

// Where the credit line and the foot links of the left pane lead: the project's own pages.
inline constexpr const char* kProgramWebPage = "https://github.com/trovel/trovel";
inline constexpr const char* kDonationPage = "https://github.com/sponsors/trovel";

}  // namespace trovel::app
