#pragma once
// The settings file "Data\Velnook.ini": reading it into the settings and
// writing a set of values back in the exact layout.

#include <string>

#include "config/settings.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace velnook {

inline constexpr const char* kConfigFilePath = "Data\\Velnook.ini";
inline constexpr const char* kProgramVersion = "2.5";

// "dd-mmm-yy hh:mm:ss" with the locale's abbreviated month name, as the
// settings file and the results log write dates.
std::string FormatDateTime(const LocalTime& t, const LocaleInfo& locale);

enum class ConfigReadStatus {
  Ok,
  MissingOrCorrupt,  // no file, or the key or section count is wrong
  ReadError,         // the file could not be read, or a number does not fit
};

// Reads the settings from the file's text (CR LF or LF line ends).
// Keys found overwrite the fields of settings; summary is rebuilt. When the
// key or section count is wrong, problem (if given) names the keys and
// sections that are missing or repeated.
ConfigReadStatus ReadConfigText(const std::string& content, Settings& settings,
                                std::string& summary, std::string* problem = nullptr);

// The same from the settings file on disk, its bytes read as this system
// keeps texts; problem stays empty for a file that is not there.
ConfigReadStatus ReadConfigFile(FileSystem& files, Settings& settings, std::string& summary,
                                std::string* problem = nullptr);

// What the screen's Save hands over: numbers as typed, possibly fractional.
struct ConfigValues {
  double CMain = 1, DName = 1, Port1 = 10001, AvTime = 5, DownDelay = 300, DownLevel = 2,
         LogLevel = 2, RunOnTop = 1, StartDelay = 2, StartMin = 2, ShutTime = 60, ShutType = 1;
  std::string IPAdd;
  std::string DPath = "%USERPROFILE%\\Local Settings\\Temporary Internet Files\\";
  std::string LogName = "Velnook.log";
  std::string LogPath = "Log\\";
};

ConfigValues ValuesOf(const Settings& s);

// Shortest decimal form with the locale's decimal separator.
std::string FormatConfigNumber(double value, const LocaleInfo& locale);

// The whole file text, CR LF line ends, ending with an empty line.
std::string ComposeConfigFile(const ConfigValues& v, const LocalTime& now,
                              const LocaleInfo& locale);

// Replaces the settings file; false when it could not be written, in which
// case the old file is left as it was.
bool WriteConfigFile(FileSystem& files, const ConfigValues& v, const LocalTime& now,
                     const LocaleInfo& locale);

}  // namespace velnook
