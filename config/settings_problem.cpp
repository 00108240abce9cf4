#include "config/settings_problem.h"

#include "config/ip_address.h"
#include "config/settings_check.h"
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
  for (const SettingLimit& l : kSettingLimits) {
    if (l.rule != rule) continue;
    const std::string range = std::to_string(l.low) + " to " + std::to_string(l.high);
    if (l.number)
      return std::string(l.key) + "=" + std::to_string(l.number(s)) + " is outside " + range;
    return std::string(l.key) + "=" + Shown(s.*l.text) + " is not " + range + " characters long";
  }
  switch (rule) {
    case 3:
      return "IPAdd=" + Shown(s.IPAdd) + " is not an IP address, which DName=1 asks for";
    case 4:
      if (IsIPAddress(s.IPAdd))
        return "IPAdd=" + s.IPAdd + " is an IP address, but DName=2 asks for a domain name";
      return "IPAdd=" + Shown(s.IPAdd) + " is longer than 100 characters";
    case 12:
      return NoSeparator("LogPath", s.LogPath);
    case 13:
      return NoSeparator("DPath", s.DPath);
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
