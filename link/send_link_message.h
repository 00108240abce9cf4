#pragma once
// Sending the link's messages from master to slave.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Sends PendingMsg to the partner, signed when there is a pair key, then
// makes the keep-alive the next one.
void SendLinkMessage(SharedState& state, Services& services);

}  // namespace velnook
