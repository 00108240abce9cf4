// The About window and the configuration screen as the running program
// opens them: the monitor pauses while one is open, each closes itself when
// its countdown runs out, and a saved change takes effect on Close.
#include <gtest/gtest.h>

#include <tuple>

#include "app/main_job_fixture.h"

namespace velnook {
namespace {

class ScreensTest : public MainJobTest {
 protected:
  void StartScreens(ConfigValues v = {}, const std::string& args = "") {
    v.StartMin = 1;
    v.StartDelay = 20;
    hs.admin.administrator = true;
    Start(v, args);
  }
};

TEST_F(ScreensTest, AboutClosesItselfOrByItsButtonAndTheStartDelayWaitsMeanwhile) {
  StartScreens();
  Seconds(1);
  Main().OnClick("About");
  FrmAbout& about = program->about;
  EXPECT_TRUE(State().ScreenOpen && hs.windows.IsShown(about) && about.modal);
  Seconds(30);
  EXPECT_EQ(about.Get("TMessage").caption, "About will close in 1 sec");
  EXPECT_EQ(Counter(), "Program Activation In 19s");
  Seconds(1);
  EXPECT_FALSE(State().ScreenOpen || hs.windows.IsShown(about));
  Seconds(1);  // closing was that second's only work
  EXPECT_EQ(Counter(), "Program Activation In 18s");
  Main().OnClick("About");
  hs.launcher.succeed = false;  // each launch shows a box
  about.OnClick("WebSite");
  EXPECT_EQ(hs.messages.shown.size(), 1u);
  about.OnClick("ExitAbout");
  EXPECT_FALSE(State().ScreenOpen || hs.windows.IsShown(about));
  EXPECT_EQ(hs.messages.shown.size(), 1u);
}

TEST_F(ScreensTest, CloseAfterASavedChangeReadsTheFileAgainAndLogsIt) {
  StartScreens({.LogLevel = 3});
  Main().OnClick("Config");
  FrmConfig& config = program->config;
  config.Get("DownDelayT").caption = "120";
  config.OnClick("Save");
  config.OnClick("ExitConfig");
  EXPECT_FALSE(State().ScreenOpen || State().ConfigChanged);
  EXPECT_EQ(State().TriggerSecs, 120);
  EXPECT_EQ(LogCount("Config   , Updated"), 1);
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 19s");
}

TEST_F(ScreensTest, UnderInhibitShutdownScreensCloseSoonAndKeepTheStoredDelays) {
  StartScreens({.DownDelay = 240, .ShutTime = 45}, "-InhibitShutdown");
  Main().OnClick("About");  // closes itself soon in a rehearsal
  Seconds(5);
  EXPECT_FALSE(State().ScreenOpen);
  Main().OnClick("Config");
  FrmConfig& config = program->config;
  config.Get("AvTimeT").caption = "7";
  config.OnClick("Save");
  Seconds(5);  // a close by time out does not take the saved change in
  EXPECT_FALSE(State().ScreenOpen || hs.windows.IsShown(config));
  EXPECT_EQ(State().settings.AvTime, 5);
  Main().OnClick("Config");
  EXPECT_EQ(config.Get("DownDelayT").caption, "240");
  config.Get("StartDelayT").caption = "30";
  config.OnClick("Save");
  config.OnClick("ExitConfig");
  Settings onDisk;
  std::string summary;
  ASSERT_EQ(ReadConfigFile(hs.files, onDisk, summary), ConfigReadStatus::Ok);
  EXPECT_EQ(std::tuple(onDisk.StartDelay, onDisk.DownDelay, onDisk.ShutTime),
            std::tuple(30, 240, 45));
  EXPECT_EQ(State().settings.DownDelay, 6);  // shortened again for the rest of the rehearsal
}

}  // namespace
}  // namespace velnook
