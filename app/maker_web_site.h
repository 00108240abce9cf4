#pragma once
// The maker's web page, opened from every logo.

#include "platform/services.h"

namespace velnook {

inline constexpr const char* kMakerWebSite = "https://www.velnook.org/";

// Opens the page in the user's browser; says so when that fails.
void OpenMakerWebSite(Services& services);

}  // namespace velnook
