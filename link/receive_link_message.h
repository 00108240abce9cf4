#pragma once
// The slave's side of the link: each datagram from the master marks the
// current second as connected, or as silent when it is malformed.

#include <functional>

#include "config/shared_state.h"
#include "platform/form.h"
#include "platform/services.h"
#include "platform/udp_socket.h"

namespace velnook {

// What a received command runs on the slave.
struct LinkCommands {
  std::function<void()> reset;     // the Reset button's click
  std::function<void()> testMode;  // StartTestMode
};

// Judges one datagram. A master ignores everything, and a slave ignores
// datagrams from any address but its partner's, logging the first such
// stranger of the run so that the user can tell why it counts silence.
void ReceiveLinkMessage(const Datagram& datagram, SharedState& state, Form& window,
                        Services& services, const LinkCommands& commands);

}  // namespace velnook
