#pragma once
// The sixteen settings, named by their keys in the settings file.

#include <cstdint>
#include <string>

namespace velnook {

struct Settings {
  std::int16_t CMain = 0;  // 1 master, 2 slave
  std::int16_t DName = 0;  // 1 IP address, 2 domain name
  std::string IPAdd;
  std::int32_t Port1 = 0;
  std::int16_t AvTime = 0;
  std::int16_t DownDelay = 0;
  std::int16_t DownLevel = 0;
  std::string DPath;
  std::int16_t LogLevel = 0;  // 1 None, 2 Normal, 3 Full
  std::string LogName;
  std::string LogPath;
  std::int16_t RunOnTop = 0;  // 1 off, 2 on
  std::int16_t StartDelay = 0;
  std::int16_t StartMin = 0;  // 1 off, 2 on
  std::int16_t ShutTime = 0;
  std::int16_t ShutType = 0;  // 1 Power Off .. 6 Standby
  bool operator==(const Settings&) const = default;
};

}  // namespace velnook
