#pragma once
// The main window's note, one line below the buttons that several things
// share: unfinished downloads while a countdown runs, the folders of the
// download tree that the measurement leaves out because they cannot be read
// (downloads into them are not seen), and how the last run ended.

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// The main window's height without and with the note's line, in twips.
constexpr int kMainHeight = 1005;
constexpr int kMainHeightWithNote = 1260;

// After a measurement: when the set of unreadable folders differs from the
// one last told, shows it on the note and logs it once.
void ShowUnreadFolders(SharedState& state, MonitorWindow& window, Services& services);

// Shows on the Note label the first there is of UnfinishedLine, the
// unreadable folders last told and LastRunLine; hides it, and the window is
// one line shorter, while there is none.
void ShowNote(const SharedState& state, MonitorWindow& window);

}  // namespace velnook
