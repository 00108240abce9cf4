#include "link/receive_link_message.h"

#include <algorithm>

#include "link/link_message.h"

namespace velnook {

void ReceiveLinkMessage(const Datagram& datagram, SharedState& state, Form& window,
                        const LinkCommands& commands) {
  if (state.settings.CMain == 1) return;
  // A stranger must neither hold the slave off nor start its test mode.
  const auto& partners = state.PartnerAddresses;
  if (std::find(partners.begin(), partners.end(), datagram.sender) == partners.end()) return;

  const std::string& text = datagram.bytes;
  if (!IsValidLinkMessage(text)) {
    state.LinkStatus = "Error";
    Control& counter = window.Get("Counter");
    counter.bold = true;
    counter.foreColour = kOrange;
    counter.caption = "Connection Error";
    state.ShutCond = 1;
    return;
  }
  state.LinkStatus = "-OK-";
  state.ShutCond = 0;
  const std::string_view code = std::string_view(text).substr(3, 2);
  if (code == "C0" && commands.reset) commands.reset();
  if (code == "T0" && commands.testMode) commands.testMode();
}

}  // namespace velnook
