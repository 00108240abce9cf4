#pragma once
// Settings files as tests write them, at the fake clock's start, and the
// working folder around them.

#include "config/config_file.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/headless_services.h"

namespace velnook {

// The settings a file of these values loads as.
inline Settings SettingsOf(const ConfigValues& v) {
  Settings s;
  std::string summary;
  ReadConfigText(ComposeConfigFile(v, {}, LocaleInfo{}), s, summary);
  return s;
}

inline bool WriteTestSettings(FileSystem& files, const ConfigValues& v = {}) {
  files.CreateFolder("Data");
  return WriteConfigFile(files, v, FakeEventLoop{}.Now(), LocaleInfo{});
}

// Data with the settings, Log, and the download folder "dls\" on a free
// loopback port unless v names another folder or port.
inline bool PrepareWorkFolder(FileSystem& files, ConfigValues v = {}) {
  files.CreateFolder("Log");
  files.CreateFolder("dls");
  if (v.DPath == ConfigValues{}.DPath) v.DPath = "dls\\";
  if (v.Port1 == ConfigValues{}.Port1) v.Port1 = FreeLoopbackPort();
  return WriteTestSettings(files, v);
}

}  // namespace velnook
