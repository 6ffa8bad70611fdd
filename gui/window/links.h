#pragma once

namespace trovel::app {

// Where the credit line and the foot links of the left pane lead.
inline constexpr const char* kProgramWebPage = "https://github.com/topics/known-folders";
inline constexpr const char* kDonationPage = "https://github.com/sponsors";

}  // namespace trovel::app
