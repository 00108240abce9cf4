#include "monitor/init_monitor.h"

#include "monitor/dir_size.h"
#include "monitor/unread_note.h"
#include "resultslog/results_log.h"
#include "shutdown/shut_types.h"

namespace velnook {

void InitMonitor(SharedState& state, MonitorWindow& window, Services& services) {
  Settings& s = state.settings;
  state.TestMode = false;
  ++state.Initialisations;
  state.InhibitorLine.clear();
  state.UnfinishedLine.clear();
  ShowNote(state, window);
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  state.SecCount = s.StartDelay;
  state.ShutCond = 1;
  state.RunMode = 0;
  if (state.StartSwitch == 1) {
    s.DownDelay = 6;
    s.ShutTime = 6;
  }
  state.RateSamples[0] = 0;
  state.SampleIndex = 0;
  state.AvRateText = "   ...";
  state.RateField = "   ...";
  state.TriggerSecs = s.DownDelay;
  state.LinkStatus = "....";
  window.Get("CPULoad").caption = "";
  if (auto name = ShutTypeNameOf(s.ShutType)) state.ShutTypeName = *name;
  for (const char* name : {"CPULoad", "Counter"}) {
    window.Get(name).backColour = kDefaultColour;
    window.Get(name).foreColour = kDefaultColour;
  }
  window.Get("Title").foreColour = kDefaultColour;
  window.Get("Title").bold = false;
  window.Get("Counter").bold = false;
  for (const char* name : {"About", "TestS", "Reset", "Config"}) window.Get(name).enabled = true;
  EnsureLogFile(state, services);
  state.DirFileSystem.clear();  // whatever it is on now is the one watched
  if (InitDirSize(s.DPath, state, services)) {
    ShowUnreadFolders(state, window, services);
    return;
  }

  services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                          state.ProgramTitle + " Download Directory Error",
                          "The download directory is either missing or\r\n"
                          "corrupted or there could be a permission problem.\r\n"
                          "Check the configuration screen for errors\r\n"
                          "and make sure the directory exists."});
  state.SetupError = true;
  ShowMonitorTexts(state, window, services);
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  for (const char* name : {"About", "TestS", "Reset"}) window.Get(name).enabled = false;
}

void ShowMonitorTexts(SharedState& state, MonitorWindow& window, Services& services) {
  const Settings& s = state.settings;
  std::string sentence;
  if (s.CMain == 1)
    sentence = state.ShutTypeName + " the computer if download rate is < " +
               std::to_string(s.DownLevel) + "KB/s";
  if (s.CMain == 2) sentence = state.ShutTypeName + " the computer if communications are lost";
  if (s.ShutType == 4)
    sentence = state.ShutTypeName + " the download rate until it has been < " +
               std::to_string(s.DownLevel) + "KB/s";

  const std::string& title = state.ProgramTitle;
  window.Get("Reset").tooltip = "Reset " + title;
  window.Get("Exit").tooltip = "Close " + title;
  window.Get("About").tooltip = "About " + title;
  window.Get("Config").tooltip = "Configure " + title;
  window.Get("TestS").tooltip = "Enables/Restarts " + title + " Test Mode";
  window.caption = title;
  window.Get("Title").caption =
      sentence + " for over " + std::to_string(state.TriggerSecs) + " sec";

  const bool setupIncomplete = state.PartnerMissing || state.SetupError;
  const bool wantsMinimised = (s.StartMin == 2 && !state.WindowStateOverride) ||
                              (s.StartMin == 1 && state.WindowStateOverride);
  if (wantsMinimised && !setupIncomplete && state.AutoMinimise &&
      window.state != WindowState::Minimised)
    window.OnStateChanged(WindowState::Minimised);
  state.AutoMinimise = true;
  if (s.RunOnTop == 1) window.topmost = false;

  Control& counter = window.Get("Counter");
  counter.caption = "Program Activation In " + std::to_string(state.SecCount) + "s";
  if (setupIncomplete) {
    counter.caption = "";
    Control& t = window.Get("Title");
    t.foreColour = kOrange;
    t.bold = true;
    t.caption = "Click Configure To Set Up Velnook";
  }
  if (s.LogLevel > 1 && !setupIncomplete) WriteLogEntry("Start", "Initialise", state, services);
  state.PendingMsg = kAliveMessage;
  window.StartRefreshTimer();
}

}  // namespace velnook
