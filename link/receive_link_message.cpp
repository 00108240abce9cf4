#include "link/receive_link_message.h"

#include <algorithm>

#include "config/ip_address.h"
#include "link/link_message.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

bool FromPartner(const Datagram& datagram, const SharedState& state) {
  const auto sender = ParseIPv4Address(datagram.sender);
  const auto& partners = state.PartnerAddresses;
  return sender && std::find(partners.begin(), partners.end(), *sender) != partners.end();
}

}  // namespace

void ReceiveLinkMessage(const Datagram& datagram, SharedState& state, Form& window,
                        Services& services, const LinkCommands& commands) {
  if (state.settings.CMain == 1) return;
  // A stranger must neither hold the slave off nor start its test mode.
  if (!FromPartner(datagram, state)) {
    // Without a partner address every sender is a stranger; the start-up
    // has already logged that the link is not configured.
    if (state.StrangerLogged || state.PartnerMissing) return;
    state.StrangerLogged = true;
    if (state.settings.LogLevel > 1)
      WriteLogEntry("Stranger", "Ignored", state, services, "From: " + datagram.sender);
    return;
  }

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
