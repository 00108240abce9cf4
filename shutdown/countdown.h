#pragma once
// The visible countdown that ends in the power action, and test mode, which
// rehearses the sequence and shows a message instead of the action.

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"
#include "shutdown/power_actions.h"

namespace velnook {

// One second of the countdown, called once a second while RunMode is 2. The
// step that shows 0s carries out the action.
void CountdownStep(SharedState& state, MonitorWindow& window, Services& services);

// The Test button, or a test command from the master.
void StartTestMode(SharedState& state, MonitorWindow& window, Services& services);

// Shows a power error with its number, source and description, then ends
// the program: a refused action is never reported as done.
[[noreturn]] void ReportPowerError(const PowerError& error, SharedState& state, Services& services);

}  // namespace velnook
