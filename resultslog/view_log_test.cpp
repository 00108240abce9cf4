#include <gtest/gtest.h>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

class ViewLogTest : public ::testing::Test {
 protected:
  ViewLogTest() {
    state.settings.LogLevel = 2;
    state.settings.LogPath = "Other\\";
    state.settings.LogName = "Mine.log";
    timer = hs.loop.CreateTimer();
    timer->Start(500, [] {});
    state.tmrRefresh = timer.get();
    hs.windows.AddTrayIcon("Velnook", [] {});
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::unique_ptr<Timer> timer;
};

TEST_F(ViewLogTest, OpensTheConfiguredLogAndCarriesOnWhenTheEditorFails) {
  dir.Write("Other/Mine.log", "x\r\n");
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles, std::vector<std::string>{"Other\\Mine.log"});
  EXPECT_TRUE(hs.messages.shown.empty());

  hs.launcher.succeed = false;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
                               "Unable to opem the log file Mine.log.\r\nThis may be a "
                               "permissions problem."}));
  EXPECT_TRUE(timer->IsRunning());
  EXPECT_TRUE(hs.windows.trayIconShown);

  // An empty LogPath is the current directory.
  state.settings.LogPath = "";
  dir.Write("Mine.log", "");
  hs.launcher.succeed = true;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles.back(), "Mine.log");
}

TEST_F(ViewLogTest, LevelNoneOnlyInforms) {
  state.settings.LogLevel = 1;
  state.settings.LogPath = "Missing\\";
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Information, MsgButtons::Ok, "Velnook Log File Error",
                               "Logging is set to None. There\r\nis no information to display."}));
  EXPECT_TRUE(hs.launcher.editedFiles.empty());
}

TEST_F(ViewLogTest, MissingFolderOrFileEndsTheProgram) {
  state.ProgramTitle = "Velnook Slave";
  EXPECT_THROW(ViewLogClick(state, hs.services), ProgramEnded);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Slave Log Directory Error");
  EXPECT_EQ(hs.messages.shown.back().text.substr(0, 40),
            "The log directory does not exist. This\r\n");
  EXPECT_FALSE(timer->IsRunning());
  EXPECT_FALSE(hs.windows.trayIconShown);

  dir.Write("Other/Else.log", "");
  EXPECT_THROW(ViewLogClick(state, hs.services), ProgramEnded);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Slave Log File Error");
  EXPECT_EQ(hs.messages.shown.back().text,
            "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
            "it exists and restart the program.\r\nThe program will now terminate.");
  EXPECT_EQ(hs.messages.shown.back().icon, MsgIcon::Exclamation);
  EXPECT_TRUE(hs.launcher.editedFiles.empty());
}

}  // namespace
}  // namespace velnook
