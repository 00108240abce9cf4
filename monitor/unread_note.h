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
// one last told, shows it on the window's Note label and logs it once. The
// same label tells, when no folder is unreadable, that the tree is too big to
// watch (logged once as it starts), and a correction of the total is logged.
void ShowUnreadFolders(SharedState& state, MonitorWindow& window, Services& services);

// Shows on the Note label the first there is of UnfinishedLine, the
// unreadable folders last told, the walk of a tree too big to watch and
// LastRunLine; hides it, and the window is one line shorter, while there is none.
void ShowNote(const SharedState& state, MonitorWindow& window);

// The unreadable folders in a few words: the one folder's name, or how many.
std::string UnreadFoldersName(const std::vector<std::string>& unread);

// Logs the unreadable folders (nothing when there are none), as a reminder
// when it matters.
void LogUnreadFolders(SharedState& state, Services& services);

}  // namespace velnook
