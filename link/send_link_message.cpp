#include "link/send_link_message.h"

namespace velnook {

void SendLinkMessage(SharedState& state, Services&) {
  // The datagram itself goes out once the link has its socket.
  state.PendingMsg = "<VNA100>";
}

}  // namespace velnook
