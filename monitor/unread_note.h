#pragma once
// Tells the user which folders of the download tree the measurement leaves
// out because they cannot be read: downloads into them are not seen.

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// The main window's height without and with the note's line, in twips.
constexpr int kMainHeight = 1005;
constexpr int kMainHeightWithNote = 1260;

// After a measurement: when the set of unreadable folders differs from the
// one last told, shows it on the window's Note label (hidden, and the window
// one line shorter, while there is none) and logs it once.
void ShowUnreadFolders(SharedState& state, MonitorWindow& window, Services& services);

}  // namespace velnook
