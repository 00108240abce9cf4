// The About window and the configuration screen as the running program
// opens them: the monitor pauses while one is open, each closes itself when
// its countdown runs out, and a saved change takes effect on Close.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/program.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

class ScreensTest : public ::testing::Test {
 protected:
  ScreensTest() : hs(dir.Path()) {}
  void Start(ConfigValues v = {}, const std::string& args = "") {
    v.StartMin = 1;
    v.StartDelay = 20;
    ASSERT_TRUE(PrepareWorkFolder(hs.files, v));
    hs.admin.administrator = true;
    program = std::make_unique<Program>(hs.services, args);
    program->ProcessEntry();
  }
  // A port some other test holds only halts the slave's monitor.
  void StartSlave(ConfigValues v, const std::string& args = "") {
    v.Port1 = 20000 + ::testing::UnitTest::GetInstance()->random_seed() % 20000;
    hs.messages.answers = {MsgAnswer::No};
    Start(v, args);
    hs.messages.shown.clear();
  }
  void Seconds(int n) { hs.loop.Advance(1000 * n); }
  std::string Counter() { return program->main.Get("Counter").caption; }
  std::string Log() { return dir.Read("Log/Velnook.log"); }

  TempWorkDir dir;
  HeadlessServices hs;
  std::unique_ptr<Program> program;
};

TEST_F(ScreensTest, AboutClosesItselfOrByItsButtonAndTheStartDelayWaitsMeanwhile) {
  Start();
  Seconds(1);
  program->main.OnClick("About");
  FrmAbout& about = program->about;
  EXPECT_TRUE(program->state.ScreenOpen && hs.windows.IsShown(about) && about.modal);
  Seconds(1);
  EXPECT_EQ(about.Get("TMessage").caption, "About will close in 30 sec");
  Seconds(29);
  EXPECT_EQ(about.Get("TMessage").caption, "About will close in 1 sec");
  EXPECT_EQ(Counter(), "Program Activation In 19s");
  Seconds(1);
  EXPECT_FALSE(program->state.ScreenOpen || hs.windows.IsShown(about));
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 18s");
  program->main.OnClick("About");
  about.OnClick("ExitAbout");
  EXPECT_FALSE(program->state.ScreenOpen || hs.windows.IsShown(about));
  program->main.OnClick("About");
  about.OnCloseRequest();
  EXPECT_FALSE(program->state.ScreenOpen);
}

TEST_F(ScreensTest, UnderInhibitShutdownAboutOnASlaveClosesAfterFourSeconds) {
  StartSlave({.CMain = 2, .RunOnTop = 2, .IPAdd = "127.0.0.1"}, "-InhibitShutdown");
  program->main.OnClick("About");
  EXPECT_EQ(program->about.caption, "About Velnook Slave");
  EXPECT_TRUE(program->about.topmost);
  Seconds(5);
  EXPECT_FALSE(program->state.ScreenOpen || hs.windows.IsShown(program->about));
}

TEST_F(ScreensTest, TheWebLinkTurnsOrangeAndABrowserThatWillNotStartIsReported) {
  StartSlave({.CMain = 2, .IPAdd = "127.0.0.1"});
  program->main.OnClick("About");
  FrmAbout& about = program->about;
  about.OnClick("WebSite");
  ASSERT_EQ(hs.launcher.webPages.size(), 1u);
  EXPECT_EQ(about.Get("WebSite").foreColour, kOrange);
  EXPECT_TRUE(hs.messages.shown.empty());
  hs.launcher.succeed = false;
  about.OnClick("WebSite");
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Slave Error");
  EXPECT_EQ(hs.messages.shown[0].text, "Unable to launch Browser.");
  EXPECT_TRUE(hs.windows.IsShown(about));
}

TEST_F(ScreensTest, TheConfigurationScreenTimesOutWithoutItsActions) {
  Start({}, "-InhibitShutdown");
  program->main.OnClick("Config");
  FrmConfig& config = program->config;
  EXPECT_TRUE(program->state.ScreenOpen);
  config.Get("AvTimeT").caption = "7";
  config.OnClick("Save");
  EXPECT_TRUE(program->state.ConfigChanged);
  Seconds(1);
  EXPECT_EQ(config.Get("TMessage").caption, "The Configuration Screen will close in 4 sec");
  Seconds(4);
  EXPECT_FALSE(program->state.ScreenOpen);
  EXPECT_FALSE(hs.windows.IsShown(config));
  EXPECT_EQ(program->state.settings.AvTime, 5);  // not re-initialised
  EXPECT_EQ(Log().find("Updated"), std::string::npos);
}

TEST_F(ScreensTest, CloseAfterASavedChangeReadsTheFileAgainAndLogsIt) {
  Start({.LogLevel = 3});
  program->main.OnClick("Config");
  FrmConfig& config = program->config;
  config.Get("DownDelayT").caption = "120";
  config.OnClick("Save");
  config.OnClick("ExitConfig");
  EXPECT_FALSE(program->state.ScreenOpen);
  EXPECT_FALSE(program->state.ConfigChanged);
  EXPECT_EQ(program->state.settings.DownDelay, 120);
  EXPECT_EQ(program->state.TriggerSecs, 120);
  EXPECT_NE(Log().find("Config   , Updated"), std::string::npos);
  EXPECT_EQ(Counter(), "Program Activation In 20s");
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 19s");
}

TEST_F(ScreensTest, UnderInhibitShutdownTheScreenKeepsTheStoredDelays) {
  Start({.DownDelay = 240, .ShutTime = 45}, "-InhibitShutdown");
  EXPECT_EQ(program->state.TriggerSecs, 6);
  program->main.OnClick("Config");
  FrmConfig& config = program->config;
  EXPECT_EQ(config.Get("DownDelayT").caption, "240");
  EXPECT_EQ(config.Get("ShutTimeT").caption, "45");
  config.Get("StartDelayT").caption = "30";
  config.OnClick("Save");
  config.OnClick("ExitConfig");
  Settings onDisk;
  std::string summary;
  ASSERT_EQ(ReadConfigFile(hs.files, onDisk, summary), ConfigReadStatus::Ok);
  EXPECT_EQ(onDisk.StartDelay, 30);
  EXPECT_EQ(onDisk.DownDelay, 240);
  EXPECT_EQ(onDisk.ShutTime, 45);
  // The re-read settings are shortened again for the rest of the rehearsal.
  EXPECT_EQ(program->state.settings.DownDelay, 6);
  EXPECT_EQ(program->state.StoredDownDelay, 240);
}

TEST_F(ScreensTest, CloseWithoutASaveLeavesTheMonitorRunningWhereItWas) {
  Start();
  Seconds(3);
  program->main.OnClick("Config");
  Seconds(5);
  EXPECT_EQ(Counter(), "Program Activation In 17s");
  program->config.OnClick("ExitConfig");
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 16s");
  EXPECT_EQ(Log().find("Updated"), std::string::npos);
}

}  // namespace
}  // namespace velnook
