#include "shutdown/countdown.h"

#include <cstdio>

#include "config/end_with_message.h"
#include "monitor/init_monitor.h"
#include "monitor/power_check.h"
#include "monitor/unread_note.h"
#include "resultslog/last_run.h"
#include "resultslog/results_log.h"
#include "shutdown/countdown_notice.h"
#include "shutdown/shut_types.h"

namespace velnook {
namespace {

void Log(const std::string& first, const std::string& second, SharedState& state,
         Services& services) {
  if (state.settings.LogLevel > 1) WriteLogEntry(first, second, state, services);
}

// After a hibernate or standby, logged once the system is back.
void LogRestart(SharedState& state, Services& services) {
  Log("Restart", state.ShutTypeName, state, services);
  Log("----------", "----------", state, services);
  Log("----------", "----------", state, services);
}

void ShowCountdownLook(SharedState& state, MonitorWindow& window) {
  for (const char* name : {"Config", "About", "TestS", "Exit"}) window.Get(name).enabled = false;
  for (const char* name : {"CPULoad", "Counter"}) {
    window.Get(name).foreColour = kWhite;
    window.Get(name).backColour = kOrange;
  }
  const int left = state.settings.ShutTime - state.SecCount + 1;
  window.Get("Counter").caption =
      CountdownTextOf(state.settings.ShutType) + std::to_string(left) + "s";
  Control& reset = window.Get("Reset");
  reset.caption = "Cancel";
  reset.tooltip = "Cancel " + state.ProgramTitle + " " + state.ShutTypeName;
  window.Get("CPULoad").caption = "";
}

// Hibernate and standby: the monitor restarts only once the system has
// woken, so the seconds before the sleep do not count as a new start delay.
void SleepAndRestart(PowerAction action, SharedState& state, MonitorWindow& window,
                     Services& services) {
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  services.power.CallWhenResumed([&state, &window, &services] {
    // A Cancel while the system was going to sleep has restarted it already.
    if (state.RunMode == 2) window.ResetMonitor();
    LogRestart(state, services);
  });
  if (auto error = RequestPowerAction(action, services.power))
    ReportPowerError(*error, state, services);
}

}  // namespace

void ReportPowerError(const PowerError& error, SharedState& state, Services& services) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(error.number));
  EndWithMessage(state, services,
                 {MsgIcon::Critical, MsgButtons::Ok, state.ProgramTitle + " Error",
                  "Error Number: " + std::to_string(error.number) + " (0x" + hex +
                      ")\r\nError Source: " + error.source + "\r\nError description: " +
                      error.description + "\r\nThe program will now terminate."},
                 true);
}

void CountdownStep(SharedState& state, MonitorWindow& window, Services& services) {
  const Settings& s = state.settings;
  window.Get("CPULoad").caption = "";
  if (state.SecCount == 0) {
    window.RestoreFromTray();
    services.windows.RemoveTrayIcon();
  }
  if (state.TestMode) {
    Log("Simulate", state.ShutTypeName, state, services);
    services.messages.Show({MsgIcon::None, MsgButtons::Ok, state.ProgramTitle + " Test",
                            "Test " + state.ShutTypeName});
    state.AutoMinimise = false;
    InitMonitor(state, window, services);
    ShowMonitorTexts(state, window, services);
    return;
  }
  if (state.SecCount == 0) {
    if (s.LogLevel > 1)
      WriteLogEntry("Enter", state.ShutTypeName, state, services,
                    CountdownEntryNote(s.CMain, state.TriggerSecs));
    // A download into a folder that cannot be read would have held it off.
    LogUnreadFolders(state, services);
    // Asked again: who holds the action back may have changed since monitoring began.
    AskBlockingInhibitors(state, services);
    if (s.CMain == 1) AskUnfinishedDownloads(state, window, services);
  }
  ++state.SecCount;
  ShowCountdownLook(state, window);
  if (state.SecCount < s.ShutTime + 1) {
    UpdateCountdownNotice(state, window, services);
    if (s.LogLevel == 3) WriteLogEntry(state.ShutTypeName, "", state, services);
    return;
  }

  // The countdown is over, whatever follows: its Cancel no longer applies.
  services.notifier.Close();
  const bool sleeps = s.ShutType == 5 || s.ShutType == 6;
  if (state.StartSwitch == 1) {
    Log(state.ShutTypeName, "Simulate", state, services);
    services.messages.Show({MsgIcon::None, MsgButtons::Ok,
                            state.ProgramTitle + " Simulate " + state.ShutTypeName,
                            "Test Real " + state.ShutTypeName});
    if (sleeps) {
      window.ResetMonitor();
      LogRestart(state, services);
      return;
    }
  } else {
    Log("Start", state.ShutTypeName, state, services);
    const auto action = PowerActionOf(s.ShutType);
    if (action && sleeps) {
      SleepAndRestart(*action, state, window, services);
      return;
    }
    if (action) {
      if (auto error = RequestPowerAction(*action, services.power))
        ReportPowerError(*error, state, services);
    }
  }
  Log("Close", state.ShutTypeName, state, services);
  services.process.EndProgram(true, EndKind::Normal);
}

void StartTestMode(SharedState& state, MonitorWindow& window, Services& services) {
  if (state.PartnerMissing || state.SetupError) return;
  InitMonitor(state, window, services);
  state.TestMode = true;
  state.TriggerSecs = 5;
  state.SecCount = 2;
  state.AutoMinimise = false;
  Log("Enter", "Test", state, services);
  ShowMonitorTexts(state, window, services);
  Control& reset = window.Get("Reset");
  reset.caption = "Reset";
  window.caption = state.ProgramTitle + " - Test Mode";
  reset.tooltip = "Reset Velnook";
  state.PendingMsg = kTestMessage;
  if (state.settings.CMain == 1) window.SendPendingMessage();
}

}  // namespace velnook
