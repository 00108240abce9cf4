#pragma once
// The main window as the monitor and the countdown drive it. The window
// owns the refresh timer and the operations that belong to the window; the
// monitor writes its labels and calls these.

#include "platform/form.h"

namespace velnook {

class MonitorWindow : public Form {
 public:
  using Form::Form;
  // Starts the 500 ms refresh timer with the monitoring cycle as its tick.
  virtual void StartRefreshTimer() = 0;
  // Brings the window back from the notification area and on top.
  virtual void RestoreFromTray() = 0;
  // Re-initialises the monitor and the status display.
  virtual void ResetMonitor() = 0;
  // One second of the shutdown countdown.
  virtual void CountdownStep() = 0;
  // Sends the pending link message to the partner.
  virtual void SendPendingMessage() = 0;
  // Closes an open About window or configuration screen without its actions.
  virtual void CloseDialogs() = 0;
};

}  // namespace velnook
