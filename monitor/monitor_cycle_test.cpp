#include "monitor/monitor_cycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
         {"Title", "CPULoad", "Counter", "Note", "TestS", "Config", "Reset", "About", "Exit"})
      Add({.name = n});
  }
  void StartRefreshTimer() override {}
  void RestoreFromTray() override {}
  void ResetMonitor() override {}
  void CountdownStep() override { ++countdownSteps; }
  void SendPendingMessage() override { ++sends; }
  void CloseDialogs() override {}
  int countdownSteps = 0;
  int sends = 0;
};

class RateStepTest : public ::testing::Test {
 protected:
  RateStepTest() : hs(dir.Path()) {
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

TEST_F(RateStepTest, TheRingAveragesTheLastAvTimeSeconds) {
  state.settings.AvTime = 3;
  state.settings.DownLevel = 5;
  EXPECT_DOUBLE_EQ(Second(10), 10);
  EXPECT_EQ(state.ShutCond, 0);
  EXPECT_EQ(state.RateField, "  10.0");
  EXPECT_NEAR(Second(0), 5, 1e-9);
  EXPECT_EQ(state.ShutCond, 0);  // equal to the level is not below it
  EXPECT_NEAR(Second(0), 10.0 / 3, 1e-9);
  EXPECT_EQ(state.ShutCond, 1);
  EXPECT_EQ(window.Get("CPULoad").caption, "   3.3KB/s");
  EXPECT_NEAR(Second(0), 0, 1e-9);  // the fourth sample overwrites the first
  EXPECT_EQ(state.SampleIndex, 1);
  EXPECT_EQ(state.RateSamples[0], 3);

  // A single-second average follows every second.
  state.settings.AvTime = 1;
  state.RateSamples[0] = 0;
  state.SampleIndex = 0;
  EXPECT_DOUBLE_EQ(Second(4.9), 4.9);
  EXPECT_EQ(state.ShutCond, 1);
  EXPECT_DOUBLE_EQ(Second(6), 6);
  EXPECT_EQ(state.ShutCond, 0);
}

TEST_F(RateStepTest, ACommaLocaleReadsItsOwnRateTexts) {
  hs.services.locale.decimalSeparator = ',';
  state.settings.DownLevel = 2;
  Second(1.5);
  EXPECT_EQ(state.AvRateText, "   1,5");
  EXPECT_EQ(state.ShutCond, 1);
}

// A tree with more folders than the system lets anyone watch.
class OutOfWatches : public TreeTracker {
 public:
  TreeSize Measure(const std::string&, bool, const std::function<void()>&,
                   const std::function<TreeSize()>& fullScan) override {
    TreeSize size = fullScan();
    size.outOfWatches = outOfWatches;
    return size;
  }
  bool outOfWatches = true;
};

TEST_F(RateStepTest, TheNoteSaysWhileTheTreeIsTooBigToWatch) {
  OutOfWatches tracker;
  Services s = hs.With(tracker);
  state.settings.LogLevel = 1;
  RateStep(state, window, s);
  EXPECT_TRUE(window.Get("Note").visible);
  EXPECT_EQ(window.Get("Note").caption, "Too many folders to watch: each second walks them all");
  tracker.outOfWatches = false;
  RateStep(state, window, s);
  EXPECT_FALSE(window.Get("Note").visible);
}

TEST(AverageRateText, OneDecimalUpToAThousandAndOnlySixCharacters) {
  LocaleInfo l;
  EXPECT_EQ(FormatAverageRate(12.34, l), "  12.3");
  EXPECT_EQ(FormatAverageRate(1000, l), "1000.0");
  EXPECT_EQ(FormatAverageRate(1000.4, l), "  1000");
  EXPECT_EQ(FormatAverageRate(1234567, l), "234567");
  EXPECT_EQ(RightAlignSix(""), "     ");  // shorter texts stay whole
}

// Full logging marks each second of the start delay but its first.
using MonitorCycleLog = RateStepTest;
TEST_F(MonitorCycleLog, FullLevelLogsTheInactiveSecondsOfTheStartDelay) {
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
  EXPECT_EQ(dir.Read("Log/V.log").find("Inactive"), dir.Read("Log/V.log").rfind("Inactive"));
  EXPECT_NE(dir.Read("Log/V.log").find("Inactive"), std::string::npos);
}

TEST(MonitorCycleNote, NamesOneOrTwoFoldersAndCountsTheRest) {
  SharedState state;
  LabelsOnly window;
  state.ReportedUnread = {"dl/a", "dl/b", "dl/c"};
  ShowNote(state, window);
  EXPECT_EQ(window.Get("Note").caption, "Cannot read a and 2 more: downloads there are not seen");
}

TEST(MonitorCycleTicks, WorkEverySecondTickAndSendTwiceASecond) {
  HeadlessServices hs;
  SharedState state;
  LabelsOnly window;
  state.settings.CMain = 1;
  state.settings.StartDelay = 5;
  state.RunMode = 2;
  state.TickPhase = 2;
  for (int i = 0; i < 6; ++i) MonitorCycle(state, window, hs.services);
  EXPECT_EQ(window.countdownSteps, 3);
  EXPECT_EQ(window.sends, 0);  // a counting-down master is silent

  // The last second of the start delay already sends.
  state.RunMode = 0;
  state.SecCount = 2;
  MonitorCycle(state, window, hs.services);  // not a work tick
  EXPECT_EQ(window.sends, 0);
  MonitorCycle(state, window, hs.services);  // work: SecCount 2 -> 1
  EXPECT_EQ(state.SecCount, 1);
  EXPECT_EQ(window.sends, 1);
  MonitorCycle(state, window, hs.services);
  EXPECT_EQ(window.sends, 2);

  // An open dialog stops the seconds, not the messages; a set-up error stops both.
  state.ScreenOpen = true;
  state.ScreenCloseCountdown = 5;
  for (int i = 0; i < 4; ++i) MonitorCycle(state, window, hs.services);
  EXPECT_EQ(state.SecCount, 1);
  EXPECT_EQ(window.sends, 6);
  state.SetupError = true;
  for (int i = 0; i < 4; ++i) MonitorCycle(state, window, hs.services);
  EXPECT_EQ(window.sends, 6);
}

}  // namespace
}  // namespace velnook
