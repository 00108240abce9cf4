#pragma once
// The results log at Normal in a fresh working directory, on real files whose
// copies and writes can be made to fail, with the timer and icon a fatal end
// takes down.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "config/shared_state.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

class FaultyFiles : public NativeFileSystem {
 public:
  bool CopyFile(const std::string& from, const std::string& to,
                const BetweenBlocks& betweenBlocks) override {
    if (failCopy || !NativeFileSystem::CopyFile(from, to, betweenBlocks)) return false;
    return !shortCopy || NativeFileSystem::ReplaceFile(to, "abc");
  }
  bool ReplaceFile(const std::string& path, const std::string& content) override {
    return !failReplace && NativeFileSystem::ReplaceFile(path, content);
  }
  bool failCopy = false, shortCopy = false, failReplace = false;
};

inline const std::string kSummary = "\r\nConfiguration\r\n-------------\r\n[Run]";

class LogTest : public ::testing::Test {
 protected:
  LogTest() : services(WithFiles(hs.services, files)) {
    dir.Write("Log/.keep", "");
    state.settings.LogLevel = 2;
    state.settings.LogPath = "Log\\";
    state.settings.LogName = "Velnook.log";
    state.ConfigSummary = kSummary;
    hs.loop.SetNow({2026, 12, 5, 14, 3, 27});
    timer->Start(500, [] {});
    state.tmrRefresh = timer.get();
    hs.windows.AddTrayIcon("Velnook", [] {});
  }
  std::string Log() const { return dir.Read("Log/Velnook.log"); }
  // The one box shown by a step that must end the program after stopping the
  // timer, and removing the icon if asked.
  MessageBoxRequest EndsWith(const std::function<void()>& step, bool iconGoes = true) {
    hs.messages.shown.clear();
    try {
      step();
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.trayIconRemoved, iconGoes);
      EXPECT_EQ(hs.windows.trayIconShown, !iconGoes);
      EXPECT_FALSE(timer->IsRunning());
      timer->Start(500, [] {});
      hs.windows.AddTrayIcon("Velnook", [] {});
      return hs.messages.Only();
    }
    ADD_FAILURE() << "the program carried on";
    return {};
  }
  TempWorkDir dir;
  HeadlessServices hs;
  FaultyFiles files;
  Services services;
  SharedState state;
  std::unique_ptr<Timer> timer = hs.loop.CreateTimer();
};

}  // namespace velnook
