#pragma once
// (Re)initialisation of the monitor at start-up and on every restart.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Takes a fresh baseline of the download folder; a missing folder marks a
// set-up error so that the monitor stands still.
void InitMonitor(SharedState& state, Services& services);

}  // namespace velnook
