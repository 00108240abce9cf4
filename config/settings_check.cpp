#include "config/settings_check.h"

#include <array>

#include "config/ip_address.h"
#include "platform/native_text.h"

namespace velnook {

namespace {

bool Outside(int v, int low, int high) {
  return v < low || v > high;
}
bool LengthOutside(const std::string& s, std::size_t low, std::size_t high) {
  const std::size_t n = CharacterCount(s);
  return n < low || n > high;
}

}  // namespace

SettingsCheck CheckSettingsRanges(const Settings& s) {
  const bool master = s.CMain == 1;
  const std::array<bool, 22> fails = {
      Outside(s.AvTime, 1, 30),
      Outside(s.DName, 1, 2),
      s.DName == 1 && !s.IPAdd.empty() && !IsIPAddress(s.IPAdd),
      s.DName == 2 && (CharacterCount(s.IPAdd) > 100 || IsIPAddress(s.IPAdd)),
      Outside(s.CMain, 1, 2),
      Outside(s.DownLevel, 2, 50),
      Outside(s.DownDelay, 5, 600),
      Outside(s.LogLevel, 1, 3),
      LengthOutside(s.LogName, 8, 20),
      LengthOutside(s.LogPath, 2, 100),
      LengthOutside(s.DPath, 4, 100),
      !EndsWithFolderSeparator(s.LogPath),
      !EndsWithFolderSeparator(s.DPath),
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
