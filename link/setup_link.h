#pragma once
// Initialises the link between the two computers, which first reloads the
// settings; the datagram side is filled in by the link's own work.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Resets the title and the set-up flags, reads and checks the settings file
// (ending the program when it cannot be used) and names a slave.
void SetupLink(SharedState& state, Services& services);

}  // namespace velnook
