#include "config/settings_check.h"

#include <array>
#include <cstdlib>

#include "config/ip_address.h"
#include "platform/native_text.h"

namespace velnook {

namespace {

template <auto field>
long Number(const Settings& s) {
  return s.*field;
}

}  // namespace

const std::array<SettingLimit, 15> kSettingLimits = {{
    {1, "AvTime", 1, 30, Number<&Settings::AvTime>, nullptr, "seconds ( min 1, max 30)"},
    {2, "DName", 1, 2, Number<&Settings::DName>, nullptr, ""},
    {5, "CMain", 1, 2, Number<&Settings::CMain>, nullptr, ""},
    {6, "DownLevel", 2, 50, Number<&Settings::DownLevel>, nullptr, "KB/s (min 2, max 50)"},
    {7, "DownDelay", 5, 600, Number<&Settings::DownDelay>, nullptr, "seconds (min 5, max 600)"},
    {8, "LogLevel", 1, 3, Number<&Settings::LogLevel>, nullptr,
     "(Setting this to full will generate big log files)"},
    {9, "LogName", 8, 20, nullptr, &Settings::LogName, "(Between 8 and 20 characters)"},
    {10, "LogPath", 2, 100, nullptr, &Settings::LogPath, ""},
    {11, "DPath", 4, 100, nullptr, &Settings::DPath, ""},
    {14, "Port1", 1024, 65535, Number<&Settings::Port1>, nullptr,
     "(An unused port between 1024 and 65535)"},
    {15, "RunOnTop", 1, 2, Number<&Settings::RunOnTop>, nullptr, ""},
    {16, "ShutTime", 2, 600, Number<&Settings::ShutTime>, nullptr, "seconds (min 2, max 600)"},
    {17, "StartMin", 1, 2, Number<&Settings::StartMin>, nullptr, ""},
    {18, "ShutType", 1, 6, Number<&Settings::ShutType>, nullptr, ""},
    {19, "StartDelay", 1, 3600, Number<&Settings::StartDelay>, nullptr,
     "seconds (min 1, max 3600)"},
}};

const SettingLimit& LimitOf(std::string_view key) {
  for (const SettingLimit& l : kSettingLimits)
    if (key == l.key) return l;
  std::abort();  // a key outside the table is a programming error
}

bool Outside(const SettingLimit& limit, double value) {
  return value < static_cast<double>(limit.low) || value > static_cast<double>(limit.high);
}

bool Breaks(const SettingLimit& limit, const Settings& s) {
  return Outside(
      limit, static_cast<double>(limit.number ? limit.number(s) : CharacterCount(s.*limit.text)));
}

SettingsCheck CheckSettingsRanges(const Settings& s) {
  const bool master = s.CMain == 1;
  std::array<bool, 23> fails{};  // by rule number
  for (const SettingLimit& l : kSettingLimits) fails[l.rule] = Breaks(l, s);
  fails[3] = s.DName == 1 && !s.IPAdd.empty() && !IsIPAddress(s.IPAdd);
  fails[4] = s.DName == 2 && (CharacterCount(s.IPAdd) > 100 || IsIPAddress(s.IPAdd));
  fails[12] = !EndsWithFolderSeparator(s.LogPath);
  fails[13] = !EndsWithFolderSeparator(s.DPath);
  fails[20] = master && s.ShutType == 4 && s.DName == 1 && !IsIPAddress(s.IPAdd);
  fails[21] = master && s.ShutType == 4 && s.DName == 2 && s.IPAdd.empty();
  fails[22] = s.CMain == 2 && s.ShutType == 4;
  SettingsCheck result;
  for (int rule = 1; rule <= 22; ++rule) {
    if (fails[static_cast<std::size_t>(rule)]) {
      result.failedRule = rule;
      return result;
    }
  }
  if (s.CMain == 2 &&
      ((s.DName == 1 && !IsIPAddress(s.IPAdd)) || (s.DName == 2 && s.IPAdd.empty())))
    result.partnerMissing = true;
  return result;
}

}  // namespace velnook
