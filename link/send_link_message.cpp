#include "link/send_link_message.h"

#include "link/link_message.h"
#include "link/signed_message.h"

namespace velnook {

void SendLinkMessage(SharedState& state, Services& services) {
  // Every failure is silent and keeps the message for the next send.
  if (state.PartnerAddresses.empty()) return;
  std::string bytes = state.PendingMsg;
  if (!state.PairKey.empty()) {
    state.LinkCounter = NextLinkCounter(state.LinkCounter);
    bytes = SignLinkMessage(bytes, state.LinkCounter, state.PairKey, services.auth);
    if (bytes.empty()) return;
  }
  if (!services.udp.SendTo(state.PartnerAddresses.front().ToText(), state.settings.Port1, bytes))
    return;
  services.events.ProcessPendingEvents();
  state.PendingMsg = kAliveMessage;
}

}  // namespace velnook
