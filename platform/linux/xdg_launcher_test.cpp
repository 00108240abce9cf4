#include "platform/linux/xdg_launcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

// xdg-open is handed the log's full path, in UTF-8 as on the desktop; one
// that finds no editor is reported as not opened.
TEST(XdgLauncher, HandsTheEditorTheFullPathAndReportsFailure) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  TempWorkDir dir;
  XdgLauncher launcher;
  const std::string path = std::getenv("PATH");
  setenv("PATH", (dir.Path() + "/bin").c_str(), 1);  // the stand-in's alone
  const auto standIn = [&](const std::string& script) {
    dir.Write("bin/xdg-open", "#!/bin/sh\n" + script);
    std::filesystem::permissions(dir.Path() + "/bin/xdg-open", std::filesystem::perms::owner_all);
  };
  standIn("exit 3\n");
  EXPECT_FALSE(launcher.OpenInTextEditor("Log\\Velnook.log"));
  standIn("printf '%s|' \"$@\" >> \"" + dir.Path() + "/opened\"\n");
  EXPECT_TRUE(launcher.OpenInTextEditor("Log\\Velnook.log"));
  EXPECT_TRUE(launcher.OpenInTextEditor("Log\\Caf\xc3\xa9 log.log"));
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(dir.Read("opened"), cwd + "/Log/Velnook.log|" + cwd + "/Log/Caf\xc3\xa9 log.log|");
  setenv("PATH", path.c_str(), 1);
}

}  // namespace
}  // namespace velnook
