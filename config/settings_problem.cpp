#include "config/settings_problem.h"

#include "config/ip_address.h"
#include "platform/native_text.h"

namespace velnook {

namespace {

// A value as the file gives it, shortened when it would swamp the message
// (never inside a UTF-8 character).
std::string Shown(const std::string& value) {
  constexpr size_t kMost = 60;
  if (value.size() <= kMost) return value;
  size_t cut = kMost - 3;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
  return value.substr(0, cut) + "...";
}

std::string Outside(const char* key, long value, long low, long high) {
  return std::string(key) + "=" + std::to_string(value) + " is outside " + std::to_string(low) +
         " to " + std::to_string(high);
}

std::string Length(const char* key, const std::string& value, int low, int high) {
  return std::string(key) + "=" + Shown(value) + " is not " + std::to_string(low) + " to " +
         std::to_string(high) + " characters long";
}

std::string NoSeparator(const char* key, const std::string& value) {
  return std::string(key) + "=" + Shown(value) + " does not end with " + kFolderSeparatorsHint;
}

// "A is missing", "A and B are missing", "A, B and C are missing".
std::string Sentence(const std::vector<std::string>& names, const char* one, const char* many) {
  std::string s;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) s += i + 1 == names.size() ? " and " : ", ";
    s += names[i];
  }
  return s + " " + (names.size() == 1 ? one : many);
}

}  // namespace

std::string SettingsRuleProblem(int rule, const Settings& s) {
  switch (rule) {
    case 1:
      return Outside("AvTime", s.AvTime, 1, 30);
    case 2:
      return Outside("DName", s.DName, 1, 2);
    case 3:
      return "IPAdd=" + Shown(s.IPAdd) + " is not an IP address, which DName=1 asks for";
    case 4:
      if (IsIPAddress(s.IPAdd))
        return "IPAdd=" + s.IPAdd + " is an IP address, but DName=2 asks for a domain name";
      return "IPAdd=" + Shown(s.IPAdd) + " is longer than 100 characters";
    case 5:
      return Outside("CMain", s.CMain, 1, 2);
    case 6:
      return Outside("DownLevel", s.DownLevel, 2, 50);
    case 7:
      return Outside("DownDelay", s.DownDelay, 5, 600);
    case 8:
      return Outside("LogLevel", s.LogLevel, 1, 3);
    case 9:
      return Length("LogName", s.LogName, 8, 20);
    case 10:
      return Length("LogPath", s.LogPath, 2, 100);
    case 11:
      return Length("DPath", s.DPath, 4, 100);
    case 12:
      return NoSeparator("LogPath", s.LogPath);
    case 13:
      return NoSeparator("DPath", s.DPath);
    case 14:
      return Outside("Port1", s.Port1, 1024, 65535);
    case 15:
      return Outside("RunOnTop", s.RunOnTop, 1, 2);
    case 16:
      return Outside("ShutTime", s.ShutTime, 2, 600);
    case 17:
      return Outside("StartMin", s.StartMin, 1, 2);
    case 18:
      return Outside("ShutType", s.ShutType, 1, 6);
    case 19:
      return Outside("StartDelay", s.StartDelay, 1, 3600);
    case 20:
      return "ShutType=4 (Monitor) needs the slave's IP address, but IPAdd=" + Shown(s.IPAdd) +
             " is not one";
    case 21:
      return "ShutType=4 (Monitor) needs the slave's name, but IPAdd= is empty";
    case 22:
      return "ShutType=4 (Monitor) is not allowed on a slave (CMain=2)";
  }
  return {};
}

std::string KeyCountProblem(const std::vector<std::string>& missing,
                            const std::vector<std::string>& repeated) {
  std::string text;
  if (!missing.empty()) text = Sentence(missing, "is missing", "are missing");
  if (!missing.empty() && !repeated.empty()) text += "\r\n";
  if (!repeated.empty()) text += Sentence(repeated, "is repeated", "are repeated");
  return text;
}

}  // namespace velnook
