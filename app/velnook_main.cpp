#include "app/velnook_main.h"

#include "app/frm_about.h"
#include "link/link_message.h"
#include "monitor/init_monitor.h"
#include "monitor/monitor_cycle.h"
#include "monitor/unread_note.h"
#include "resultslog/results_log.h"
#include "shutdown/countdown.h"

namespace velnook {

VelnookMain::VelnookMain(Services& services, SharedState& state)
    : MonitorWindow("VelnookMain"),
      services_(services),
      state_(state),
      tmrRefresh_(services.events.CreateTimer()),
      lastRunTimer_(services.events.CreateTimer()) {
  state_.tmrRefresh = tmrRefresh_.get();
  // A command from the master restarts the monitor, but never in the middle
  // of a monitoring second.
  services_.udp.SetArrivalHandler([this](const Datagram& d) {
    ReceiveLinkMessage(
        d, state_, *this, services_,
        {[this] { RunAfterTick([this] { ResetClick(); }); },
         [this] { RunAfterTick([this] { StartTestMode(state_, *this, services_); }); }});
  });
  // Cancel on the countdown's notice is the Cancel button, as long as the
  // countdown it belongs to still runs.
  services_.notifier.SetCancelHandler([this] {
    RunAfterTick([this] {
      if (state_.RunMode == 2 && !state_.TestMode) ResetClick();
    });
  });
  clientWidth = 7260;
  clientHeight = kMainHeight;
  auto label = [this](const char* name, int l, int t, int w, int h) {
    Add({.name = name, .kind = ControlKind::Label, .left = l, .top = t, .width = w, .height = h});
  };
  auto button = [this](const char* name, const char* text, int l, int tab) {
    Add({.name = name,
         .kind = ControlKind::Button,
         .left = l,
         .top = 585,
         .width = 980,
         .height = 345,
         .caption = text,
         .tabIndex = tab});
  };
  label("Title", 90, 0, 6240, 255);
  label("CPULoad", 90, 255, 1680, 255);
  label("Counter", 1710, 255, 4350, 255);
  // Shown, one line below the buttons, only while it has something to say.
  label("Note", 90, 990, 7080, 255);
  Get("Note").foreColour = kOrange;
  Get("Note").visible = false;
  button("TestS", "Test", 90, 0);
  button("Config", "Configure", 1200, 1);
  button("Reset", "Reset", 3960, 2);
  button("About", "About", 5097, 3);
  button("Exit", "Exit", 6235, 4);
  Get("TestS").enabled = false;
  Add({.name = "Logo",
       .kind = ControlKind::Picture,
       .left = 6380,
       .top = 75,
       .width = 855,
       .height = 435});
}

void VelnookMain::RefreshTick() {
  if (inTick_) return;
  inTick_ = true;
  MonitorCycle(state_, *this, services_);
  inTick_ = false;
  // Clicks and link commands that arrived during the tick's event passes.
  while (!afterTick_.empty()) {
    auto pending = std::move(afterTick_);
    afterTick_.clear();
    for (auto& fn : pending) fn();
  }
}

void VelnookMain::RunAfterTick(std::function<void()> fn) {
  if (inTick_)
    afterTick_.push_back(std::move(fn));
  else
    fn();
}

void VelnookMain::OnClick(const std::string& control) {
  if (!Get(control).enabled) return;
  if (control == "Note") HideLastRun();
  RunAfterTick([this, control] {
    if (control == "Reset") ResetClick();
    if (control == "TestS") StartTestMode(state_, *this, services_);
    if (control == "Exit") Unload();
    if (control == "About" && showAbout) showAbout();
    if (control == "Config" && showConfig) showConfig();
    if (control == "Logo") OpenMakerWebSite(services_);
  });
}

void VelnookMain::OnCloseRequest() {
  RunAfterTick([this] { Unload(); });
}

void VelnookMain::OnStateChanged(WindowState s) {
  state = s;
  if (state == WindowState::Minimised) MinimiseToTray();
  const bool opposite =
      (state == WindowState::Normal && state_.settings.StartMin == 2 && state_.RunMode != 2) ||
      (state == WindowState::Minimised && state_.settings.StartMin == 1);
  if (opposite)
    state_.WindowStateOverride = true;
  else if (state_.RunMode != 2)
    state_.WindowStateOverride = false;
}

void VelnookMain::OnActivate() {
  ApplyOnTop();
  if (state == WindowState::Minimised) services_.windows.Hide(*this);
}

void VelnookMain::ApplyOnTop() {
  // A countdown stays above every other window whichever comes first, the
  // restore or the activation that follows it: the user must be able to
  // see it and press Cancel.
  topmost = state_.settings.RunOnTop == 2 || state_.RunMode == 2;
  services_.windows.Refresh(*this);
}

void VelnookMain::MinimiseToTray() {
  services_.windows.AddTrayIcon("Velnook", [this] { RunAfterTick([this] { TrayDoubleClick(); }); });
  services_.windows.Hide(*this);
}

void VelnookMain::TrayDoubleClick() {
  RestoreFromTray();
  state_.WindowStateOverride =
      (state == WindowState::Normal && state_.settings.StartMin == 2 && state_.RunMode != 2) ||
      (state == WindowState::Minimised && state_.settings.StartMin == 1);
}

void VelnookMain::RestoreFromTray() {
  if (state == WindowState::Minimised) {
    state = WindowState::Normal;
    services_.windows.RemoveTrayIcon();
    // A countdown comes forward by itself: keys typed into another program
    // must go on reaching it, not press Cancel.
    if (state_.RunMode == 2)
      services_.windows.ShowWithoutActivating(*this);
    else
      services_.windows.Show(*this);
    services_.windows.CentreOnScreen(*this);
  }
  ApplyOnTop();
}

void VelnookMain::ResetMonitor() {
  const bool countdown = state_.RunMode == 2;
  if (countdown) {
    Get("Exit").enabled = true;
    Get("Reset").caption = "Reset";
    Get("Reset").tooltip = "Reset Velnook";
    services_.notifier.Close();
  }
  state_.AutoMinimise = countdown && !state_.TestMode && state_.StartSwitch != 1;
  state_.MasterHeard = false;
  masterBackSeconds_ = 0;
  InitMonitor(state_, *this, services_);
  ShowMonitorTexts(state_, *this, services_);
  ShowLinkTitle(state_, *this);
}

std::string VelnookMain::RunModeName() const {
  if (state_.RunMode == 2) return state_.ShutTypeName;
  return state_.RunMode == 1 ? "Run" : "Initialise";
}

void VelnookMain::ResetClick() {
  if (state_.settings.LogLevel > 1) WriteLogEntry("Reset", RunModeName(), state_, services_);
  ResetMonitor();
  state_.PendingMsg = kResetMessage;
  if (state_.settings.CMain == 1) SendLinkMessage(state_, services_);
}

CancelAnswer VelnookMain::CancelFromTerminal() {
  const Control& reset = Get("Reset");
  if (state_.RunMode != 2 || state_.TestMode || !reset.enabled)
    return {false, state_.ProgramTitle + " is not counting down: nothing to cancel."};
  // A countdown inside a tick: a box of its last second is open, the end is
  // under way, and a deferred Cancel would never run.
  if (inTick_)
    return {false, state_.ProgramTitle + " is ending its countdown: too late to cancel."};
  const std::string action = state_.ShutTypeName;
  OnClick("Reset");
  services_.windows.Refresh(*this);
  return {true, state_.ProgramTitle + ": the countdown to " + action +
                    " is cancelled; monitoring starts again."};
}

void VelnookMain::ShowLastRun(const std::string& report) {
  state_.LastRunLine = report;
  ShowNote(state_, *this);
  lastRunTimer_->Start(60000, [this] { HideLastRun(); });
}

void VelnookMain::HideLastRun() {
  lastRunTimer_->Stop();
  if (state_.LastRunLine.empty()) return;
  state_.LastRunLine.clear();
  ShowNote(state_, *this);
  services_.windows.Refresh(*this);
}

void VelnookMain::Unload() {
  tmrRefresh_->Stop();
  services_.notifier.Close();  // a notice left behind would offer a dead Cancel
  if (!state_.PartnerMissing && state_.settings.LogLevel > 1)
    WriteLogEntry("Exit", RunModeName(), state_, services_);
  services_.process.EndProgram(true, EndKind::Normal);
}

void VelnookMain::StartRefreshTimer() {
  tmrRefresh_->Start(500, [this] { RefreshTick(); });
}

void VelnookMain::CountdownStep() {
  // A slave counting down because its master fell silent, which then hears
  // the master again in two seconds running, was wrong about its end: it
  // cancels as Reset does. Its test mode is the master's wish and runs on.
  if (state_.settings.CMain == 2 && !state_.TestMode) {
    masterBackSeconds_ = state_.MasterHeard ? masterBackSeconds_ + 1 : 0;
    state_.MasterHeard = false;
    if (masterBackSeconds_ >= 2) {
      if (state_.settings.LogLevel > 1) WriteLogEntry("Master", "Returned", state_, services_);
      ResetClick();
      return;
    }
  }
  velnook::CountdownStep(state_, *this, services_);
}

void VelnookMain::SendPendingMessage() {
  SendLinkMessage(state_, services_);
}

void VelnookMain::CloseDialogs() {
  if (closeDialogs) closeDialogs();
}

}  // namespace velnook
