// Settings on Linux: UTF-8 folder names, "/" as well as "\", "~/", the
// Windows-1252 files of older versions, and numbers under another process
// locale, on real files.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "config/default_download_path.h"
#include "config/load_settings.h"
#include "config/save_restore.h"
#include "config/screen_test_support.h"
#include "config/settings_check.h"

namespace velnook {
namespace {

const std::string kFrench =
    "T\xC3\xA9l\xC3\xA9"
    "chargements";
const std::string kRussian = "\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8";

// Repeats a text n times.
std::string Times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

class LinuxPathsTest : public ScreenTest {
 protected:
  LinuxPathsTest() {
    const char* home = std::getenv("HOME");
    oldHome_ = home ? home : "";
    ::setenv("HOME", (dir.Path() + "/home").c_str(), 1);
    std::filesystem::create_directories(dir.Path() + "/home/" + kRussian);
    hs.process.environment["HOME"] = dir.Path() + "/home";
  }
  ~LinuxPathsTest() override { ::setenv("HOME", oldHome_.c_str(), 1); }
  std::string oldHome_;
};

TEST_F(LinuxPathsTest, AnOldWindows1252FileStillLoads) {
  WriteSettingsFile();
  std::string file = SettingsFile();
  const size_t at = file.find("DPath=dls\\");
  ASSERT_NE(at, std::string::npos);
  file.replace(at, 10,
               "DPath=dls\\T\xE9l\xE9"
               "chargements\\");  // é as the byte 0xE9
  dir.Write("Data/Velnook.ini", file);
  dir.Write("dls/" + kFrench + "/.keep", "");
  LoadSettings(state, hs.services);
  EXPECT_EQ(state.settings.DPath, "dls\\" + kFrench + "\\");
  EXPECT_NE(state.ConfigSummary.find("DPath=dls\\" + kFrench), std::string::npos);
  EXPECT_TRUE(hs.files.FolderExists(state.settings.DPath));
}

TEST_F(LinuxPathsTest, TheLoadCheckTakesEitherSeparatorAndCountsCharacters) {
  Settings s = DefaultSettings();
  auto rule = [&](const std::string& dPath, const std::string& logPath = "Log\\") {
    s.DPath = dPath;
    s.LogPath = logPath;
    return CheckSettingsRanges(s).failedRule.value_or(0);
  };
  EXPECT_EQ(rule("~/" + kRussian + "/", "/var/log/velnook/"), 0);
  EXPECT_EQ(rule("/home/me/Downloads"), 13);
  // 100 characters pass although they take 199 bytes; 101 do not.
  EXPECT_EQ(rule(Times("\xD0\x96", 99) + "/"), 0);
  EXPECT_EQ(rule(Times("\xD0\x96", 100) + "/"), 11);
  EXPECT_EQ(rule("\xD0\x96/"), 11);            // two characters, three bytes
  s.LogName = Times("\xD0\x96", 16) + ".log";  // 20 characters, 36 bytes
  EXPECT_EQ(rule("~/x/"), 0);
}

TEST_F(LinuxPathsTest, TheScreenTakesUtf8FoldersEitherSeparatorAndHome) {
  state.settings.DPath = "~/" + kRussian + "/";
  screen.Open();
  EXPECT_EQ(screen.Text("DPathT"), "~/" + kRussian + "/");
  EXPECT_EQ(screen.Get("DPathM").caption,
            "(Must exist and be between 3 and 99 characters plus '/' or '\\')");
  EXPECT_EQ(screen.Get("LogPathM").caption,
            "(Must exist and be between 1 and 99 characters plus '/' or '\\')");
  EXPECT_EQ(Check(), 0);
  Set("LogPathT", dir.Path() + "/Log/");  // absolute
  Set("LogNameT", Times("\xD0\x96", 16) + ".log");
  EXPECT_EQ(Check(), 0);
  Set("LogPathT", "~/nowhere/");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(MarkedLabels(), Labels{"LogPathM"});
  Set("LogPathT", "Log\\");
  Set("DPathT", "~/" + kRussian);
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(MarkedLabels(), Labels{"DPathM"});
  screen.CloseWithoutActions();
}

TEST_F(LinuxPathsTest, SavedAsUtf8AndReadBackUnchanged) {
  WriteSettingsFile();
  screen.Open();
  Set("DPathT", "~/" + kRussian + "/");
  screen.OnClick("Save");
  EXPECT_EQ(Status(), "Changes Saved - Click Close To Activate The Changes");
  EXPECT_NE(SettingsFile().find("\r\nDPath=~/" + kRussian + "/\r\n"), std::string::npos);
  screen.CloseWithoutActions();
  LoadSettings(state, hs.services);
  EXPECT_EQ(state.settings.DPath, "~/" + kRussian + "/");
  EXPECT_TRUE(hs.files.FolderExists(state.settings.DPath));
}

TEST_F(LinuxPathsTest, RestorePutsTheDesktopsDownloadFolderIn) {
  dir.Write("home/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/" + kFrench + "\"\n");
  screen.Open();
  screen.OnClick("Restore");
  EXPECT_EQ(screen.Text("DPathT"), "~/" + kFrench + "/");
  EXPECT_EQ(screen.Text("LogPathT"), "Log\\");
  screen.CloseWithoutActions();
}

// Numbers read alike when the process runs in de_DE.UTF-8 as Qt sets it up.
TEST_F(LinuxPathsTest, NumbersReadAlikeUnderEveryProcessLocale) {
  WriteSettingsFile();
  std::string text = SettingsFile();
  for (auto [from, to] : {std::pair{"AvTime=5", "AvTime=2.7"}, {"ShutTime=60", "ShutTime=6.25e1"}})
    text.replace(text.find(from), std::string(from).size(), to);
  dir.Write("Data/Velnook.ini", text);
  const std::string command =
      "localedef -i de_DE -f UTF-8 '" + dir.Path() + "/de_DE.UTF-8' >/dev/null 2>&1";
  [[maybe_unused]] int ignored = std::system(command.c_str());  // warnings give 1
  ::setenv("LOCPATH", dir.Path().c_str(), 1);
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  std::setlocale(LC_ALL, "");
  const bool german = std::string(std::localeconv()->decimal_point) == ",";
  LoadSettings(state, hs.services);
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LC_ALL");
  ::unsetenv("LOCPATH");
  ASSERT_TRUE(german) << "de_DE.UTF-8 did not load";
  EXPECT_EQ(state.settings.AvTime, 3);
  EXPECT_EQ(state.settings.ShutTime, 62);
}

}  // namespace
}  // namespace velnook
