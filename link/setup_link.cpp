#include "link/setup_link.h"

#include <cstdlib>

#include "config/load_settings.h"
#include "link/pair_key.h"

namespace velnook {
void SetupLink(SharedState& state, Services& services, PartnerLookup& partner) {
  state.ProgramTitle = "Velnook";
  state.ScreenOpen = false;
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  state.PartnerMissing = false;
  state.SetupError = false;
  LoadSettings(state, services);
  if (state.settings.CMain == 2) state.ProgramTitle = "Velnook Slave";
  // A key others could read protects nothing: end, as for bad settings,
  // rather than run a link the user believes signed.
  const PairKeyRead key = ReadPairKey(services.files);
  if (!key.problem.empty()) {
    services.messages.Show({MsgIcon::Critical, MsgButtons::Ok,
                            state.ProgramTitle + " Key File Error",
                            key.problem + "\r\nThe program will now terminate."});
    services.process.EndProgram(false, EndKind::Fatal);
    std::abort();  // EndProgram never returns
  }
  state.PairKey = key.key;
  state.LinkNote.clear();
  state.TickPhase = 2;
  state.ConfigChanged = false;
  state.AutoMinimise = true;
  partner.Follow();
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
