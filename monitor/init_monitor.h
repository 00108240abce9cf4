#pragma once
// Brings the monitor into a known state. Every path that (re)starts
// monitoring runs InitMonitor and then ShowMonitorTexts.

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// Resets the monitor state and the window's labels and buttons, makes sure
// the results log exists and takes the download folder's baseline. A
// missing folder is reported and marks a set-up error: the monitor then
// stands still until the settings are loaded again.
void InitMonitor(SharedState& state, MonitorWindow& window, Services& services);

// Writes the status sentence, tooltips and caption, applies the
// start-minimised rule, shows the start-delay countdown and starts the timer.
void ShowMonitorTexts(SharedState& state, MonitorWindow& window, Services& services);

}  // namespace velnook
