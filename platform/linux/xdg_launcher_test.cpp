#include "platform/linux/xdg_launcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

// Puts a stand-in xdg-open first on PATH for the life of the object.
class StandInXdgOpen {
 public:
  StandInXdgOpen(const TempWorkDir& dir, const std::string& script) {
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    dir.Write("bin/xdg-open", "#!/bin/sh\n" + script);
    std::filesystem::permissions(dir.Path() + "/bin/xdg-open", std::filesystem::perms::owner_all);
    setenv("PATH", (dir.Path() + "/bin:" + oldPath_).c_str(), 1);
  }
  ~StandInXdgOpen() { setenv("PATH", oldPath_.c_str(), 1); }

 private:
  std::string oldPath_;
};

class XdgLauncherTest : public ::testing::Test {
 protected:
  int argc = 1;
  char name[8] = "test";
  char* argv[2] = {name, nullptr};
  QCoreApplication app{argc, argv};
  TempWorkDir dir;
  XdgLauncher launcher;
};

TEST_F(XdgLauncherTest, HandsTheEditorTheLogsFullPath) {
  StandInXdgOpen xdg(dir, "printf '%s|' \"$@\" >> \"" + dir.Path() + "/opened\"\n");
  EXPECT_TRUE(launcher.OpenInTextEditor("Log\\Velnook.log"));
  // UTF-8 in the program as on the desktop: handed on unchanged.
  EXPECT_TRUE(launcher.OpenInTextEditor("Log\\Caf\xc3\xa9 log.log"));
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(dir.Read("opened"), cwd + "/Log/Velnook.log|" + cwd + "/Log/Caf\xc3\xa9 log.log|");
}

TEST_F(XdgLauncherTest, NoEditorIsReportedAsNotOpened) {
  StandInXdgOpen xdg(dir, "exit 3\n");
  EXPECT_FALSE(launcher.OpenInTextEditor("Log\\Velnook.log"));
  std::filesystem::remove(dir.Path() + "/bin/xdg-open");
  const std::string path = std::getenv("PATH");
  setenv("PATH", (dir.Path() + "/bin").c_str(), 1);  // none on the path at all
  EXPECT_FALSE(launcher.OpenInTextEditor("Log\\Velnook.log"));
  setenv("PATH", path.c_str(), 1);
}

}  // namespace
}  // namespace velnook
