// The desktop's download folder, read from a real user-dirs.dirs.
#include <gtest/gtest.h>

#include "config/default_download_path.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

class DefaultDownloadPathTest : public ::testing::Test {
 protected:
  DefaultDownloadPathTest() { hs.process.environment["HOME"] = dir.Path() + "/home"; }
  void UserDirs(const std::string& folder, const std::string& text) {
    dir.Write(folder + "/user-dirs.dirs", text);
  }
  std::string Default() { return DefaultDownloadPath(hs.files, hs.process); }

  TempWorkDir dir;
  HeadlessServices hs;
};

TEST_F(DefaultDownloadPathTest, TheDesktopsFolderIsTakenFromUserDirs) {
  EXPECT_EQ(Default(), "~/Downloads/");  // no file: the usual name
  UserDirs("home/.config",
           "# This file is written by xdg-user-dirs-update\n"
           "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOWNLOAD_DIR=\"$HOME/T\xC3\xA9l\"\n");
  EXPECT_EQ(Default(), "~/T\xC3\xA9l/");
  // XDG_CONFIG_HOME moves the file; a relative one is ignored.
  UserDirs("cfg", "XDG_DOWNLOAD_DIR=\"$HOME/dl\"\n");
  hs.process.environment["XDG_CONFIG_HOME"] = dir.Path() + "/cfg";
  EXPECT_EQ(Default(), "~/dl/");
  hs.process.environment["XDG_CONFIG_HOME"] = "cfg";
  EXPECT_EQ(Default(), "~/T\xC3\xA9l/");
}

TEST_F(DefaultDownloadPathTest, OnlyAFolderTheSettingsCanHoldIsTaken) {
  auto with = [&](const std::string& line) {
    UserDirs("home/.config", line + "\n");
    return Default();
  };
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"/srv/downloads/\""), "/srv/downloads/");
  EXPECT_EQ(with("  XDG_DOWNLOAD_DIR=\"$HOME/My \\\"dl\\\"\""), "~/My \"dl\"/");
  // The last assignment wins, as the shell reads the file.
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"$HOME/a\"\nXDG_DOWNLOAD_DIR=\"$HOME/dl\""), "~/dl/");
  // "$HOME" alone switches the folder off; relative paths are invalid.
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"$HOME\""), "~/Downloads/");
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"dl\""), "~/Downloads/");
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"$HOME/unclosed"), "~/Downloads/");
  // Longer than the settings allow (100 characters, not bytes).
  std::string cyrillic;
  for (int i = 0; i < 97; ++i) cyrillic += "\xD0\x96";
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"$HOME/" + cyrillic + "\""), "~/" + cyrillic + "/");
  EXPECT_EQ(with("XDG_DOWNLOAD_DIR=\"$HOME/" + cyrillic + "x\""), "~/Downloads/");
}

}  // namespace
}  // namespace velnook
