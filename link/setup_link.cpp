#include "link/setup_link.h"

#include "config/ip_address.h"
#include "config/load_settings.h"

namespace velnook {
namespace {

// The partner's address: a dotted one at once, a host name looked up away
// from the window thread. Until the answer comes nothing is sent, and a
// slave accepts nothing.
void FindPartner(SharedState& state, Services& services) {
  state.PartnerAddresses.clear();
  const std::string& partner = state.settings.IPAdd;
  if (partner.empty()) return;
  if (state.settings.DName == 1) {
    if (IsIPAddress(partner)) state.PartnerAddresses = {partner};
    return;
  }
  const int setup = state.LinkSetups;
  services.udp.Resolve(partner, [&state, setup](std::vector<std::string> addresses) {
    if (setup == state.LinkSetups) state.PartnerAddresses = std::move(addresses);
  });
}

}  // namespace

void SetupLink(SharedState& state, Services& services) {
  state.ProgramTitle = "Velnook";
  state.ScreenOpen = false;
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  state.PartnerMissing = false;
  state.SetupError = false;
  LoadSettings(state, services);
  if (state.settings.CMain == 2) state.ProgramTitle = "Velnook Slave";
  state.TickPhase = 2;
  state.ConfigChanged = false;
  state.AutoMinimise = true;
  ++state.LinkSetups;
  FindPartner(state, services);
  services.udp.Close();  // an earlier set-up's port is released first
  if (state.settings.CMain != 2) return;
  if (services.udp.Bind(state.settings.Port1)) return;
  const MsgAnswer answer = services.messages.Show(
      {MsgIcon::Exclamation, MsgButtons::YesNo, state.ProgramTitle + " Port Error",
       "The RX Port " + std::to_string(state.settings.Port1) +
           " Is Already In Use\r\n"
           "This Error Must Be Resolved Before\r\n"
           "You Can Use Velnook.\r\n"
           "Use The Configuration Screen\r\n"
           "To Change The RX Port.\r\n"
           "Do You Want To End The Program?"});
  if (answer == MsgAnswer::Yes) services.process.EndProgram(true, EndKind::Fatal);
  state.SetupError = true;
}

}  // namespace velnook
