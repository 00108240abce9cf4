#pragma once
// The main window: a small bar with the action, the rate and a status line,
// five buttons and the maker's logo. It owns the refresh timer that drives
// the monitor and hides itself in the notification area when minimised.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/remote_cancel.h"
#include "platform/services.h"

namespace velnook {

class VelnookMain : public MonitorWindow {
 public:
  VelnookMain(Services& services, SharedState& state);

  void OnClick(const std::string& control) override;
  void OnCloseRequest() override;
  void OnStateChanged(WindowState s) override;  // the resize event
  void OnActivate() override;

  void StartRefreshTimer() override;
  void RestoreFromTray() override;
  void ResetMonitor() override;
  void CountdownStep() override;
  void SendPendingMessage() override;
  void CloseDialogs() override;

  // One tick of the refresh timer. Never runs inside itself.
  void RefreshTick();
  // Runs fn now, or right after the current monitor tick when one is in
  // progress, so that a restart is never mixed into a monitoring second.
  void RunAfterTick(std::function<void()> fn);
  // Adds the notification icon and hides the window.
  void MinimiseToTray();
  // The notification icon's double-click.
  void TrayDoubleClick();
  // Closing the window by any means: log, remove the icon, end.
  [[noreturn]] void Unload();
  // The Reset button: log, restart, and pass the reset on to a slave.
  void ResetClick();
  // "velnook -Cancel" from the user's terminal: what the Cancel button does,
  // when there is a countdown to cancel.
  CancelAnswer CancelFromTerminal();
  // How the last run ended, on the note for the first minute or until the
  // user clicks it.
  void ShowLastRun(const std::string& report);

  // Filled in by the windows that the About and Configure buttons open.
  std::function<void()> showAbout;
  std::function<void()> showConfig;
  std::function<void()> closeDialogs;

 private:
  void ApplyOnTop();
  std::string RunModeName() const;
  void HideLastRun();

  Services& services_;
  SharedState& state_;
  std::unique_ptr<Timer> tmrRefresh_;
  std::unique_ptr<Timer> lastRunTimer_;
  bool inTick_ = false;
  int masterBackSeconds_ = 0;  // countdown seconds running in which the master was heard
  std::vector<std::function<void()>> afterTick_;
};

}  // namespace velnook
