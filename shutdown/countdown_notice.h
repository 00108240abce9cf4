#pragma once
// The desktop notification that goes with a countdown, so that the user
// sees it even behind other windows or on a desktop without a notification
// area, and can cancel it from there.

#include <string>
#include <vector>

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// The notice's text: the countdown line and below it each of the other
// lines that is not empty.
std::string CountdownNoticeBody(const std::string& countdownLine,
                                const std::vector<std::string>& extraLines);

// Called in every countdown second after the Counter shows it. The first
// second shows the notice and asks for attention on the window; later
// seconds update it every 10 s and in each of the last 10.
void UpdateCountdownNotice(const SharedState& state, MonitorWindow& window, Services& services);

// Shows the notice as it stands now, for news that should not wait for the
// next update.
void ShowCountdownNotice(const SharedState& state, const MonitorWindow& window, Services& services);

// Looks, off the window thread, for downloads left unfinished in the
// download folder. When the answer comes while the same countdown still
// runs and names any, logs them once (kUnfinishedEntry, "3 files"), shows
// them in the window's note and adds them to the notice.
void AskUnfinishedDownloads(SharedState& state, MonitorWindow& window, Services& services);

}  // namespace velnook
