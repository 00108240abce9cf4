#pragma once
// The one way the program ends after a message the user must acknowledge.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Stops the refresh timer, so that no tick runs behind the modal box, shows
// the box and ends the program with a failure status. When the system has
// asked the program to end, no box is shown: it would hold up a logout.
[[noreturn]] inline void EndWithMessage(SharedState& state, Services& services,
                                        const MessageBoxRequest& box, bool removeTrayIcon) {
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  if (!state.EndRequested) services.messages.Show(box);
  services.process.EndProgram(removeTrayIcon, EndKind::Fatal);
}

}  // namespace velnook
