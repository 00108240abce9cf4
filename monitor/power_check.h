#pragma once
// Asks the system, when monitoring begins, whether it would carry out the
// configured action, so that a refusal shows while the user is still there
// rather than when the countdown ends.

#include <string>

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// Asks without waiting. An answer other than "yes" for this initialisation
// is logged ("Refused", ShutTypeName) and shown in Title; monitoring goes on.
// Also asks who holds the action back (see AskBlockingInhibitors).
void CheckPowerAllowed(SharedState& state, MonitorWindow& window, Services& services);

// Title while the system would refuse: "Power Off Refused By The System (challenge)".
std::string RefusalTitle(const std::string& shutTypeName, const std::string& answer);

// Asks without waiting who holds the configured action back; InhibitorLine
// follows the answer (see BlockingInhibitorLine).
void AskBlockingInhibitors(SharedState& state, Services& services);

}  // namespace velnook
