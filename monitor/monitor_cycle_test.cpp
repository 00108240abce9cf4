#include "monitor/monitor_cycle.h"

#include <gtest/gtest.h>

#include <fstream>

#include "monitor/init_monitor.h"
#include "monitor/unread_note.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

// A main window that only holds the labels the monitor writes.
class LabelsOnly : public MonitorWindow {
 public:
  LabelsOnly() : MonitorWindow("VelnookMain") {
    for (const char* n :
         {"CPULoad", "Counter", "Note", "Title", "About", "TestS", "Reset", "Config"})
      Add({.name = n});
  }
  void StartRefreshTimer() override {}
  void RestoreFromTray() override {}
  void ResetMonitor() override {}
  void CountdownStep() override { ++countdownSteps; }
  void SendPendingMessage() override { ++sends; }
  void CloseDialogs() override {}
  int countdownSteps = 0, sends = 0;
};

class MonitorCycleTest : public ::testing::Test {
 protected:
  MonitorCycleTest() : hs(dir.Path()) {
    dir.Write("dl/f", "");
    state.settings.DPath = dir.Path() + "/dl";
    state.settings.CMain = 1;
  }
  // One monitoring second in which the folder grew by kb KB.
  double Second(double kb) {
    std::ofstream(dir.Path() + "/dl/f", std::ios::app)
        << std::string(static_cast<size_t>(kb * 1024), 'x');
    RateStep(state, window, hs.services);
    double sum = 0;
    for (int i = 1; i <= state.RateSamples[0]; ++i) sum += state.RateSamples[i];
    return sum / state.RateSamples[0];
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  LabelsOnly window;
};

// The average is read back in the locale's own decimal separator.
TEST_F(MonitorCycleTest, TheRingAveragesTheLastAvTimeSeconds) {
  hs.services.locale.decimalSeparator = ',';
  state.settings.AvTime = 3;
  state.settings.DownLevel = 5;
  EXPECT_DOUBLE_EQ(Second(10), 10);
  EXPECT_EQ(state.RateField, "  10,0");
  EXPECT_NEAR(Second(0), 5, 1e-9);
  EXPECT_EQ(state.ShutCond, 0);  // equal to the level is not below it
  EXPECT_NEAR(Second(0), 10.0 / 3, 1e-9);
  EXPECT_EQ(state.ShutCond, 1);
  EXPECT_EQ(window.Get("CPULoad").caption, "   3,3KB/s");
  EXPECT_NEAR(Second(0), 0, 1e-9);  // the fourth sample overwrites the first
  EXPECT_EQ(state.RateSamples[0], 3);

  InitMonitor(state, window, hs.services);  // a restart empties the ring
  EXPECT_DOUBLE_EQ(Second(4.9), 4.9);
  EXPECT_EQ(state.ShutCond, 1);
  state.settings.AvTime = 1;
  EXPECT_DOUBLE_EQ(Second(6), 6);
  EXPECT_EQ(state.ShutCond, 0);
  // One decimal up to a thousand, and only the last six characters.
  for (const auto& [average, text] :
       {std::pair{1000.0, "1000,0"}, {1000.4, "  1000"}, {1234567.0, "234567"}})
    EXPECT_EQ(FormatAverageRate(average, hs.services.locale), text);
}

// Full logging marks each second of the start delay but its first.
TEST_F(MonitorCycleTest, FullLevelLogsTheInactiveSecondsOfTheStartDelay) {
  dir.Write("Log/.keep", "");
  state.settings.LogPath = "Log\\";
  state.settings.LogName = "V.log";
  state.settings.StartDelay = 3;
  for (int level : {2, 3}) {
    state.settings.LogLevel = level;
    state.SecCount = 3;
    EnsureLogFile(state, hs.services);
    StartDelayStep(state, window, hs.services);
  }
  const std::string log = dir.Read("Log/V.log");
  EXPECT_TRUE(log.find("Inactive") != std::string::npos &&
              log.find("Inactive") == log.rfind("Inactive"));
}

// Unfinished downloads come first, then folders that cannot be read, then
// a tree too big to watch.
TEST(MonitorCycleNote, NamesWhatTheUserShouldKnowFirst) {
  const std::tuple<std::vector<std::string>, bool, const char*, const char*> cases[] = {
      {{"dl/a", "dl/b", "dl/c"},
       true,
       "",
       "Cannot read a and 2 more: downloads there are not seen"},
      {{"dl/a/", "dl/b"}, false, "", "Cannot read a and b: downloads there are not seen"},
      {{"dl/a"}, true, "2 unfinished", "2 unfinished"},
      {{}, true, "", "Too many folders to watch: each second walks them all"},
      {{}, false, "", ""}};
  for (const auto& [unread, walked, unfinished, caption] : cases) {
    SharedState state;
    LabelsOnly window;
    state.ReportedUnread = unread;
    state.ReportedWalked = walked;
    state.UnfinishedLine = unfinished;
    ShowNote(state, window);
    EXPECT_EQ(window.Get("Note").caption, caption);
    EXPECT_EQ(window.Get("Note").visible, *caption != '\0');
  }
  // The tracker's word that the tree is too big to watch comes and goes.
  HeadlessServices hs;
  SharedState state;
  LabelsOnly window;
  for (bool walked : {true, false}) {
    state.DirWalked = walked;
    ShowUnreadFolders(state, window, hs.services);
    EXPECT_EQ(window.Get("Note").visible, walked);
  }
}
// Every second tick does a second's work; a monitoring master sends on every
// tick, from the last second of the start delay on, but not counting down
// nor after a set-up error.
TEST(MonitorCycle, WorkEverySecondTickAndSendTwiceASecond) {
  HeadlessServices hs;
  SharedState state;
  LabelsOnly window;
  state.settings.CMain = 1;
  state.settings.StartDelay = 5;
  state.RunMode = 2;
  state.TickPhase = 2;
  for (int i = 0; i < 6; ++i) MonitorCycle(state, window, hs.services);
  EXPECT_EQ(window.countdownSteps, 3);
  state.RunMode = 0;
  state.SecCount = 2;
  for (int i = 0; i < 3; ++i) MonitorCycle(state, window, hs.services);
  EXPECT_EQ(state.SecCount, 1);
  EXPECT_EQ(window.sends, 2);
  state.SetupError = true;
  MonitorCycle(state, window, hs.services);
  EXPECT_EQ(window.sends, 2);
}

}  // namespace
}  // namespace velnook
