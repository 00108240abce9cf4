#pragma once
// The desktop notification that goes with a countdown, so that the user
// sees it even behind other windows or on a desktop without a notification
// area, and can cancel it from there.

#include <string>

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// The notice's text: the countdown line and, when there is one, a second
// line below it.
std::string CountdownNoticeBody(const std::string& countdownLine, const std::string& extraLine);

// Called in every countdown second after the Counter shows it. The first
// second shows the notice and asks for attention on the window; later
// seconds update it every 10 s and in each of the last 10.
void UpdateCountdownNotice(const SharedState& state, MonitorWindow& window, Services& services);

}  // namespace velnook
