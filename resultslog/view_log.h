#pragma once
// The configuration screen's View Log button: opens "LogPath" + "LogName" in
// the desktop's text editor and returns at once.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// At level None only says there is nothing to show. A missing log folder or
// file ends the program; an editor that cannot be started is reported and
// the program carries on.
void ViewLogClick(SharedState& state, Services& services);

}  // namespace velnook
