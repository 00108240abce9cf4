#include "config/settings_check.h"

#include <array>

#include "config/ip_address.h"

namespace velnook {

namespace {

bool Outside(int v, int low, int high) {
  return v < low || v > high;
}
bool EndsWithBackslash(const std::string& s) {
  return !s.empty() && s.back() == '\\';
}

}  // namespace

SettingsCheck CheckSettingsRanges(const Settings& s) {
  const bool master = s.CMain == 1;
  const std::array<bool, 22> fails = {
      Outside(s.AvTime, 1, 30),
      Outside(s.DName, 1, 2),
      s.DName == 1 && !s.IPAdd.empty() && !IsIPAddress(s.IPAdd),
      s.DName == 2 && (s.IPAdd.size() > 100 || IsIPAddress(s.IPAdd)),
      Outside(s.CMain, 1, 2),
      Outside(s.DownLevel, 2, 50),
      Outside(s.DownDelay, 5, 600),
      Outside(s.LogLevel, 1, 3),
      s.LogName.size() < 8 || s.LogName.size() > 20,
      s.LogPath.size() < 2 || s.LogPath.size() > 100,
      s.DPath.size() < 4 || s.DPath.size() > 100,
      !EndsWithBackslash(s.LogPath),
      !EndsWithBackslash(s.DPath),
      Outside(s.Port1, 1024, 65535),
      Outside(s.RunOnTop, 1, 2),
      Outside(s.ShutTime, 2, 600),
      Outside(s.StartMin, 1, 2),
      Outside(s.ShutType, 1, 6),
      Outside(s.StartDelay, 1, 3600),
      master && s.ShutType == 4 && s.DName == 1 && !IsIPAddress(s.IPAdd),
      master && s.ShutType == 4 && s.DName == 2 && s.IPAdd.empty(),
      s.CMain == 2 && s.ShutType == 4,
  };
  SettingsCheck result;
  for (size_t i = 0; i < fails.size(); ++i) {
    if (fails[i]) {
      result.failedRule = static_cast<int>(i) + 1;
      return result;
    }
  }
  if (s.CMain == 2 &&
      ((s.DName == 1 && !IsIPAddress(s.IPAdd)) || (s.DName == 2 && s.IPAdd.empty())))
    result.partnerMissing = true;
  return result;
}

}  // namespace velnook
