#include "config/config_file.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "config/leading_number.h"
#include "config/settings_problem.h"
#include "platform/native_text.h"

namespace velnook {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string_view TrimSpaces(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

enum class KeyType { Int16, Int32, Text };

struct Key {
  std::string_view prefix;
  KeyType type;
  std::int16_t Settings::*int16 = nullptr;
  std::int32_t Settings::*int32 = nullptr;
  std::string Settings::*text = nullptr;
};

// In the order the reader compares them.
const std::array<Key, 16> kKeys = {{
    {"AvTime=", KeyType::Int16, &Settings::AvTime},
    {"IPAdd=", KeyType::Text, nullptr, nullptr, &Settings::IPAdd},
    {"CMain=", KeyType::Int16, &Settings::CMain},
    {"DName=", KeyType::Int16, &Settings::DName},
    {"DownDelay=", KeyType::Int16, &Settings::DownDelay},
    {"DownLevel=", KeyType::Int16, &Settings::DownLevel},
    {"LogLevel=", KeyType::Int16, &Settings::LogLevel},
    {"LogName=", KeyType::Text, nullptr, nullptr, &Settings::LogName},
    {"LogPath=", KeyType::Text, nullptr, nullptr, &Settings::LogPath},
    {"DPath=", KeyType::Text, nullptr, nullptr, &Settings::DPath},
    {"Port1=", KeyType::Int32, nullptr, &Settings::Port1},
    {"RunOnTop=", KeyType::Int16, &Settings::RunOnTop},
    {"StartMin=", KeyType::Int16, &Settings::StartMin},
    {"ShutTime=", KeyType::Int16, &Settings::ShutTime},
    {"ShutType=", KeyType::Int16, &Settings::ShutType},
    {"StartDelay=", KeyType::Int16, &Settings::StartDelay},
}};

constexpr std::array<std::string_view, 3> kSections = {"[Comms]", "[Run]", "[Shutdown]"};

// Applies one key line; false when its number does not fit the field.
bool ApplyKey(const Key& key, std::string_view value, Settings& s) {
  if (key.type == KeyType::Text) {
    s.*key.text = std::string(value);
    return true;
  }
  auto number = LeadingNumber(value);
  if (!number) return false;
  if (key.type == KeyType::Int32) {
    auto v = ToInt32(*number);
    if (!v) return false;
    s.*key.int32 = *v;
  } else {
    auto v = ToInt16(*number);
    if (!v) return false;
    s.*key.int16 = *v;
  }
  return true;
}

}  // namespace

std::string FormatDateTime(const LocalTime& t, const LocaleInfo& locale) {
  char head[16], tail[48];
  std::snprintf(head, sizeof head, "%02d-", t.day % 100);
  std::snprintf(tail, sizeof tail, "-%02d %02d:%02d:%02d", t.year % 100, t.hour % 100,
                t.minute % 100, t.second % 100);
  const std::string& month = locale.monthAbbreviations[static_cast<size_t>((t.month + 11) % 12)];
  return head + month + tail;
}

ConfigReadStatus ReadConfigText(const std::string& content, Settings& settings,
                                std::string& summary, std::string* problem) {
  summary = "\r\nConfiguration\r\n-------------";
  int keysLeft = 16;
  int sectionsLeft = 3;
  std::array<int, kKeys.size()> keyLines{};
  std::array<int, kSections.size()> sectionLines{};
  size_t pos = 0;
  while (pos < content.size()) {
    size_t nl = content.find('\n', pos);
    std::string_view line(content.data() + pos,
                          (nl == std::string::npos ? content.size() : nl) - pos);
    pos = nl == std::string::npos ? content.size() : nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (line.empty() || line.front() == '#') continue;
    line = TrimSpaces(line);
    for (size_t k = 0; k < kKeys.size(); ++k) {
      if (StartsWith(line, kKeys[k].prefix)) {
        if (!ApplyKey(kKeys[k], line.substr(kKeys[k].prefix.size()), settings))
          return ConfigReadStatus::ReadError;
        --keysLeft;
        ++keyLines[k];
        break;
      }
    }
    for (size_t k = 0; k < kSections.size(); ++k) {
      if (line == kSections[k]) {
        --sectionsLeft;
        ++sectionLines[k];
      }
    }
    if (StartsWith(line, "[")) summary += kCrLf;
    if (!StartsWith(line, "CMain=")) {
      summary += kCrLf;
      summary += line;
    }
  }
  if (keysLeft == 0 && sectionsLeft == 0) return ConfigReadStatus::Ok;
  if (problem) {
    std::vector<std::string> missing, repeated;
    auto sort = [&](std::string_view name, int lines) {
      if (lines == 0) missing.emplace_back(name);
      if (lines > 1) repeated.emplace_back(name);
    };
    for (size_t k = 0; k < kSections.size(); ++k) sort(kSections[k], sectionLines[k]);
    for (size_t k = 0; k < kKeys.size(); ++k)
      sort(kKeys[k].prefix.substr(0, kKeys[k].prefix.size() - 1), keyLines[k]);
    *problem = KeyCountProblem(missing, repeated);
  }
  return ConfigReadStatus::MissingOrCorrupt;
}

ConfigReadStatus ReadConfigFile(FileSystem& files, Settings& settings, std::string& summary,
                                std::string* problem) {
  summary = "\r\nConfiguration\r\n-------------";
  if (!files.FileExists(kConfigFilePath)) return ConfigReadStatus::MissingOrCorrupt;
  auto content = files.ReadFile(kConfigFilePath);
  if (!content) return ConfigReadStatus::ReadError;
  return ReadConfigText(TextFromSettingsFile(*content), settings, summary, problem);
}

ConfigValues ValuesOf(const Settings& s) {
  ConfigValues v;
  v.CMain = s.CMain;
  v.DName = s.DName;
  v.IPAdd = s.IPAdd;
  v.Port1 = s.Port1;
  v.AvTime = s.AvTime;
  v.DownDelay = s.DownDelay;
  v.DownLevel = s.DownLevel;
  v.DPath = s.DPath;
  v.LogLevel = s.LogLevel;
  v.LogName = s.LogName;
  v.LogPath = s.LogPath;
  v.RunOnTop = s.RunOnTop;
  v.StartDelay = s.StartDelay;
  v.StartMin = s.StartMin;
  v.ShutTime = s.ShutTime;
  v.ShutType = s.ShutType;
  return v;
}

std::string FormatConfigNumber(double value, const LocaleInfo& locale) {
  if (value == 0) value = 0;  // no "-0"
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string text(buf, ec == std::errc() ? end : buf);
  for (char& c : text)
    if (c == '.') c = locale.decimalSeparator;
  return text;
}

std::string ComposeConfigFile(const ConfigValues& v, const LocalTime& now,
                              const LocaleInfo& locale) {
  std::string out;
  auto line = [&out](std::string_view a, std::string_view b = {}) {
    out.append(a);
    out.append(b);
    out.append(kCrLf);
  };
  auto num = [&](std::string_view key, double value) {
    line(key, FormatConfigNumber(value, locale));
  };
  line("# Velnook Version ", kProgramVersion);
  line("# Configuration File");
  line("# ", FormatDateTime(now, locale));
  line("");
  line("[Comms]");
  num("CMain=", v.CMain);
  num("DName=", v.DName);
  line("IPAdd=", v.IPAdd);
  num("Port1=", v.Port1);
  line("");
  line("[Run]");
  num("AvTime=", v.AvTime);
  num("DownDelay=", v.DownDelay);
  num("DownLevel=", v.DownLevel);
  line("DPath=", v.DPath);
  num("LogLevel=", v.LogLevel);
  line("LogName=", v.LogName);
  line("LogPath=", v.LogPath);
  num("RunOnTop=", v.RunOnTop);
  num("StartDelay=", v.StartDelay);
  num("StartMin=", v.StartMin);
  line("");
  line("[Shutdown]");
  num("ShutTime=", v.ShutTime);
  num("ShutType=", v.ShutType);
  out.append(kCrLf);
  return out;
}

bool WriteConfigFile(FileSystem& files, const ConfigValues& v, const LocalTime& now,
                     const LocaleInfo& locale) {
  return files.ReplaceFile(kConfigFilePath, ComposeConfigFile(v, now, locale));
}

}  // namespace velnook
