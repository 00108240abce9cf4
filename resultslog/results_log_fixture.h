#pragma once
// A results log in a fresh working directory, and a way to see the message
// with which a failing write ends the program.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "config/shared_state.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/results_log.h"

namespace velnook {

inline const char* kSummary =
    "\r\nConfiguration\r\n-------------\r\n[Comms]\r\nCMain=1\r\n\r\n[Run]\r\nAvTime=5";

class ResultsLogTest : public ::testing::Test {
 protected:
  ResultsLogTest() {
    dir.Write("Log/.keep", "");
    state.settings.CMain = 1;
    state.settings.LogLevel = 2;
    state.settings.LogPath = "Log\\";
    state.settings.LogName = "Velnook.log";
    state.ConfigSummary = kSummary;
    hs.loop.SetNow({2026, 12, 5, 14, 3, 27});
    timer = hs.loop.CreateTimer();
    timer->Start(500, [] {});
    state.tmrRefresh = timer.get();
    hs.windows.AddTrayIcon("Velnook", [] {});
  }
  std::string Log() const { return dir.Read("Log/Velnook.log"); }
  // Runs a write that must end the program; gives the one message it showed,
  // after checking the timer stopped first and the icon went.
  MessageBoxRequest EndsWith(const std::function<void()>& write) {
    const size_t before = hs.messages.shown.size();
    try {
      write();
    } catch (const ProgramEnded& e) {
      EXPECT_TRUE(e.trayIconRemoved);
      EXPECT_FALSE(hs.windows.trayIconShown);
      EXPECT_FALSE(timer->IsRunning());
      EXPECT_EQ(hs.messages.shown.size(), before + 1);
      MessageBoxRequest m = hs.messages.shown.back();
      EXPECT_EQ(m.icon, MsgIcon::Exclamation);
      EXPECT_EQ(m.buttons, MsgButtons::Ok);
      timer->Start(500, [] {});
      hs.windows.AddTrayIcon("Velnook", [] {});
      return m;
    }
    ADD_FAILURE() << "the program carried on";
    return {};
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::unique_ptr<Timer> timer;
};

}  // namespace velnook
