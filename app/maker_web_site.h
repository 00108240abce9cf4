#pragma once
// The maker's web page, opened from every logo.

#include <functional>
#include <string>

#include "platform/services.h"

namespace velnook {

inline constexpr const char* kMakerWebSite = "https://www.velnook.org/";

// Opens the page in the user's browser; says so, under errorTitle, when that
// fails. afterLaunch runs once the browser was asked, whatever it answered.
void OpenMakerWebSite(Services& services, const std::string& errorTitle = "Velnook Error",
                      const std::function<void()>& afterLaunch = {});

}  // namespace velnook
