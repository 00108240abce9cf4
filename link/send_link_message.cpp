#include "link/send_link_message.h"

#include "link/link_message.h"

namespace velnook {

void SendLinkMessage(SharedState& state, Services& services) {
  // Every failure is silent and keeps the message for the next send.
  if (state.PartnerAddresses.empty()) return;
  if (!services.udp.SendTo(state.PartnerAddresses.front().ToText(), state.settings.Port1,
                           state.PendingMsg))
    return;
  services.events.ProcessPendingEvents();
  state.PendingMsg = kAliveMessage;
}

}  // namespace velnook
