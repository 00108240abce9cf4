// Settings on Linux: the desktop's download folder, the Windows-1252 files of
// older versions, and numbers under another process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "config/default_download_path.h"
#include "config/load_settings.h"
#include "config/settings_check.h"
#include "config/settings_test_support.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

class LinuxPathsTest : public ::testing::Test {
 protected:
  LinuxPathsTest() : hs(dir.Path()) {
    EXPECT_TRUE(PrepareWorkFolder(hs.files));
    settings = dir.Read("Data/Velnook.ini");
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::string settings;
};

// An older version's Windows-1252 file loads as UTF-8; numbers read alike
// under a process locale with a decimal comma, as Qt sets the user's up
// (building only its number rules keeps the test fast).
TEST_F(LinuxPathsTest, OldFilesAndNumbersReadAlikeUnderEveryProcessLocale) {
  settings.replace(settings.find("DPath=dls\\"), 10, "DPath=dls\\T\xE9l\xE9\\");  // é as 0xE9
  settings.replace(settings.find("AvTime=5"), 8, "AvTime=2.7");
  dir.Write("Data/Velnook.ini",
            settings.replace(settings.find("ShutTime=60"), 11, "ShutTime=6.25e1"));
  dir.Write("comma.src",
            "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\n"
            "grouping 3;3\nEND LC_NUMERIC\n");
  const std::string command = "localedef -i '" + dir.Path() + "/comma.src' -f ANSI_X3.4-1968 '" +
                              dir.Path() + "/comma' >/dev/null 2>&1";
  [[maybe_unused]] int ignored = std::system(command.c_str());  // warnings give 1
  ::setenv("LOCPATH", dir.Path().c_str(), 1);
  ::setenv("LC_ALL", "comma", 1);
  std::setlocale(LC_ALL, "");
  const bool comma = std::string(std::localeconv()->decimal_point) == ",";
  LoadSettings(state, hs.services);
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LC_ALL");
  ::unsetenv("LOCPATH");
  ASSERT_TRUE(comma) << "the comma locale did not load";
  EXPECT_EQ(state.settings.AvTime, 3);
  EXPECT_EQ(state.settings.ShutTime, 62);
  EXPECT_EQ(state.settings.DPath, "dls\\T\xC3\xA9l\xC3\xA9\\");
}

TEST_F(LinuxPathsTest, TheDefaultDownloadFolderIsTheDesktopsIfTheSettingsCanHoldIt) {
  hs.process.environment["HOME"] = dir.Path() + "/home";
  auto with = [&](const std::string& folder, const std::string& text) {
    dir.Write(folder + "/user-dirs.dirs", text + "\n");
    return DefaultDownloadPath(hs.files, hs.process);
  };
  EXPECT_EQ(DefaultDownloadPath(hs.files, hs.process), "~/Downloads/");  // no file
  std::string zh;  // 97 characters in 194 bytes
  for (int i = 0; i < 97; ++i) zh += "\xD0\x96";
  const std::pair<std::string, std::string> cases[] = {
      {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
       "XDG_DOWNLOAD_DIR=\"$HOME/T\xC3\xA9l\"",
       "~/T\xC3\xA9l/"},
      {"XDG_DOWNLOAD_DIR=\"/srv/downloads/\"", "/srv/downloads/"},
      {"  XDG_DOWNLOAD_DIR=\"$HOME/My \\\"dl\\\"\"", "~/My \"dl\"/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/a\"\nXDG_DOWNLOAD_DIR=\"$HOME/dl\"", "~/dl/"},  // the last wins
      // "$HOME" alone switches the folder off; relative paths are invalid.
      {"XDG_DOWNLOAD_DIR=\"$HOME\"", "~/Downloads/"},
      {"XDG_DOWNLOAD_DIR=\"dl\"", "~/Downloads/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/" + zh + "\"", "~/" + zh + "/"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/" + zh + "x\"", "~/Downloads/"},
  };
  for (const auto& [text, folder] : cases) EXPECT_EQ(with("home/.config", text), folder) << text;
  // The settings check counts characters too: 100 in 197 bytes pass.
  EXPECT_FALSE(CheckSettingsRanges(SettingsOf({.DPath = "~/" + zh + "/"})).failedRule);
  // XDG_CONFIG_HOME moves the file; a relative one is ignored.
  hs.process.environment["XDG_CONFIG_HOME"] = dir.Path() + "/cfg";
  EXPECT_EQ(with("cfg", "XDG_DOWNLOAD_DIR=\"$HOME/dl\""), "~/dl/");
  hs.process.environment["XDG_CONFIG_HOME"] = "cfg";
  EXPECT_EQ(DefaultDownloadPath(hs.files, hs.process), "~/Downloads/");
}

}  // namespace
}  // namespace velnook
